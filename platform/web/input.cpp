// The console's input on the web page: lines from the page's input line,
// and single key presses, awaited without blocking the page (Asyncify).
#include <emscripten.h>

#include "platform/platform.h"

// Wait for the next line typed on the page; its length in UTF-8 bytes, the
// line feed included, or -1 once the input has ended.
EM_ASYNC_JS(int, webWaitLine, (), { return await Module.fvReadLine(); });
// Copy the line just awaited into the buffer.
EM_JS(void, webTakeLine, (char* into), { HEAPU8.set(Module.fvLineBytes, into); });
// Wait for one key press on the page; its character (a Unicode code point),
// or -1 once the input has ended.
EM_ASYNC_JS(int, webWaitKey, (), { return await Module.fvReadKey(); });

// The next line typed on the page.
static bool readPageLine(std::string* line)
{
    const int length = webWaitLine();
    if (length < 0) {
        return false;
    }
    const std::size_t start = line->size();
    line->resize(start + static_cast<std::size_t>(length));
    webTakeLine(&(*line)[start]);
    return true;
}

bool (*const platformReadLine)(std::string* line) = readPageLine;

bool platformKeysArriveAlone()
{
    return true;
}

int platformReadKey()
{
    return webWaitKey();
}

void platformDiscardTypedAhead()
{
    // The page's input line takes text only while the program asks for it,
    // so nothing is ever typed ahead.
}
