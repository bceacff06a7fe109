// Handing the window title to the window system in its own encoding.
//
// freeglut on X11 stores the title it is given as a Latin-1 STRING property,
// so UTF-8 bytes show up as mojibake. This file sets the title again: the
// EWMH properties as UTF8_STRING, which current window managers prefer, and
// the ICCCM ones in a text type that decodes to the same characters.
#include "platform/desktop/window_title.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace
{

// Set an EWMH name property of window to the UTF-8 text.
void setUtf8Property(Display* display, Window window, const char* property, const char* utf8Text)
{
    Atom name = XInternAtom(display, property, False);
    Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, name, utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8Text),
                    static_cast<int>(std::strlen(utf8Text)));
}

// Set WM_NAME and WM_ICON_NAME to the UTF-8 text.
void setIcccmNames(Display* display, Window window, const char* utf8Text)
{
    char* list[] = {const_cast<char*>(utf8Text)};
    XTextProperty text;
    // STRING when the text is Latin-1, COMPOUND_TEXT otherwise: the types every
    // ICCCM client can read. Should the locale be unable to convert every
    // character, fall back to UTF8_STRING, which always holds the text exactly.
    int status = Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &text);
    if (status != Success) {
        if (status > 0)
            XFree(text.value);
        status = Xutf8TextListToTextProperty(display, list, 1, XUTF8StringStyle, &text);
        if (status != Success) {
            if (status > 0)
                XFree(text.value);
            return;
        }
    }
    XSetWMName(display, window, &text);
    XSetWMIconName(display, window, &text);
    XFree(text.value);
}

} // namespace

// Give the current GLUT window the UTF-8 title in every X11 title property.
void setWindowTitle(const char* utf8Title)
{
    // GLUT makes the new window's context current on its own connection, so
    // the current GLX drawable is the window itself.
    Display* display = glXGetCurrentDisplay();
    Window window = glXGetCurrentDrawable();
    if (display == nullptr || window == None)
        return;

    setUtf8Property(display, window, "_NET_WM_NAME", utf8Title);
    setUtf8Property(display, window, "_NET_WM_ICON_NAME", utf8Title);
    setIcccmNames(display, window, utf8Title);
    XFlush(display);
}
