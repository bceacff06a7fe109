#!/usr/bin/env python3
"""Write the page as one HTML file that opens from a disk (file://), where
a browser loads neither modules nor WebAssembly from other files: the page's
index.html with its stylesheet inlined, the program built as one JavaScript
file with its WebAssembly inside (-sSINGLE_FILE), and the page's modules
bundled into one inline module script.

    python3 bundle_page.py PAGE_DIR PROGRAM_JS OUTPUT_HTML

The modules keep to what this bundler understands: `import { a, b as c }
from './x.js';`, `import './x.js';`, and `export` before a function, a
class or a const. Anything else stops the build with a message.
"""
import os
import re
import sys

IMPORT = re.compile(r"^import\s+(?:\{([^}]*)\}\s+from\s+)?'\./([\w.-]+\.js)';[ \t]*$", re.M)
EXPORT = re.compile(r'^export\s+(?:async\s+function\*?|function\*?|class|const)\s+([A-Za-z_$][\w$]*)', re.M)


def fail(message):
    sys.exit(f'bundle_page.py: {message}')


def module_name(file):
    return '__fv_' + re.sub(r'\W', '_', file)


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def wrap(page, file):
    """One module as a function that returns its exports; and its imports."""
    source = read(os.path.join(page, file))
    imports = []

    def as_const(match):
        imports.append(match.group(2))
        if match.group(1) is None:
            return ''
        names = [n.strip() for n in match.group(1).split(',') if n.strip()]
        fields = ', '.join(n.replace(' as ', ': ') for n in names)
        return f'const {{ {fields} }} = {module_name(match.group(2))};'

    body = IMPORT.sub(as_const, source)
    exports = EXPORT.findall(body)
    body = EXPORT.sub(lambda m: m.group(0)[len('export'):].lstrip(), body)
    if re.search(r'^\s*(import|export)\b', body, re.M):
        fail(f'{file}: an import or export this bundler does not understand')
    getters = ', '.join(f'get {n}() {{ return {n}; }}' for n in exports)
    text = (f'// {file}\nconst {module_name(file)} = (() => {{\n{body.rstrip()}\n'
            f'return {{ {getters} }};\n}})();\n')
    return text, imports


def bundle(page, entry):
    """The modules from entry on, each after those it imports, as the
    browser runs them."""
    done, parts = set(), []

    def visit(file, path):
        if file in done:
            return
        if file in path:
            fail(f'modules import each other: {" -> ".join(path + [file])}')
        text, imports = wrap(page, file)
        for dependency in imports:
            visit(dependency, path + [file])
        done.add(file)
        parts.append(text)

    visit(entry, [])
    return '\n'.join(parts)


def inline(text):
    """Script text that cannot end its <script> element early."""
    return text.replace('</script', '<\\/script').replace('<!--', '<\\!--')


def replace_once(html, pattern, make):
    found = re.findall(pattern, html)
    if len(found) != 1:
        fail(f'index.html: expected one match of {pattern!r}, found {len(found)}')
    return re.sub(pattern, lambda m: make(m), html)


def main():
    page, program, output = sys.argv[1:4]
    html = read(os.path.join(page, 'index.html'))
    html = replace_once(html, r'<link rel="stylesheet" href="([\w.-]+)">',
                        lambda m: '<style>\n' + read(os.path.join(page, m.group(1))) + '</style>')
    # The manifest and the icons are files of the folder; the one file has
    # no service worker to keep them.
    html = re.sub(r'<link rel="(?:manifest|apple-touch-icon)"[^>]*>\n?', '', html)
    html = replace_once(html, r'<script src="forced-vibration.js"[^>]*></script>',
                        lambda m: '<script>\n' + inline(read(program)) + '\n</script>')
    html = replace_once(html, r'<script type="module" src="([\w.-]+)"></script>',
                        lambda m: '<script type="module">\n' + inline(bundle(page, m.group(1))) + '</script>')
    with open(output, 'w', encoding='utf-8') as f:
        f.write(html)


if __name__ == '__main__':
    main()
