# Write the page's module that names the build of the program: a hash of its
# WebAssembly, so that a journal kept by another build is not replayed.
#
#   cmake -DWASM=forced-vibration.wasm -DOUTPUT=build-id.js -P build_id.cmake
file(SHA256 ${WASM} hash)
string(SUBSTRING ${hash} 0 16 short)
file(WRITE ${OUTPUT} "// Written by the build (build_id.cmake): which build of the program this page runs.\nexport const programBuild = '${short}';\n")
