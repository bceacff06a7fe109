// One frame as a flat list of drawing commands; see draw_list.h.
#include "platform/web/draw_list.h"

void DrawList::clear()
{
    commands.clear();
    openLines = -1;
}

void DrawList::addClear(float r, float g, float b)
{
    commands.insert(commands.end(), {static_cast<float>(clearCode), r, g, b});
    openLines = -1;
}

void DrawList::addLines(float r, float g, float b, float width, const float* xy, std::size_t count)
{
    if (count == 0) {
        return;
    }
    const bool same = openLines >= 0 && commands[openLines + 1] == r &&
                      commands[openLines + 2] == g && commands[openLines + 3] == b &&
                      commands[openLines + 4] == width;
    if (!same) {
        openLines = static_cast<long>(commands.size());
        commands.insert(commands.end(), {static_cast<float>(linesCode), r, g, b, width, 0.0f});
    }
    commands[openLines + 5] += static_cast<float>(count / 4);
    commands.insert(commands.end(), xy, xy + count);
}

void DrawList::addPolygon(float r, float g, float b, const float* xy, std::size_t count)
{
    commands.insert(commands.end(),
                    {static_cast<float>(polygonCode), r, g, b, static_cast<float>(count / 2)});
    commands.insert(commands.end(), xy, xy + count);
    openLines = -1;
}

void DrawList::addGlyph(float r, float g, float b, float x, float y, int character)
{
    commands.insert(commands.end(),
                    {static_cast<float>(glyphCode), r, g, b, x, y, static_cast<float>(character)});
    openLines = -1;
}
