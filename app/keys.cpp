// The window's keys and their labels.
#include "app/keys.h"

// The escape key's character code.
static constexpr unsigned char escapeKey = 27;

const WindowKey windowKeys[] = {
    {' ', KeyAction::playPause, " ", "Space", "再生", "Play"},
    {'s', KeyAction::step, "s", "s", "進める", "Step"},
    {'f', KeyAction::chart, "f", "f", "周波数特性", "Chart"},
    {'w', KeyAction::sweep, "w", "w", "周波数掃引", "Sweep"},
    {'r', KeyAction::measure, "r", "r", "測定", "Measure"},
    {'e', KeyAction::energy, "e", "e", "エネルギー", "Energy"},
    {'a', KeyAction::handIn, "a", "a", "回答提出", "Hand in"},
    {'y', KeyAction::zoomY, "y", "y", "縦軸縮小", "Shrink y"},
    {'Y', KeyAction::zoomY, "Y", "Y", "縦軸拡大", "Grow y"},
    {'t', KeyAction::zoomT, "t", "t", "時間軸縮小", "Shrink t"},
    {'T', KeyAction::zoomT, "T", "T", "時間軸拡大", "Grow t"},
    {'x', KeyAction::zoomX, "x", "x", "横軸縮小", "Shrink x"},
    {'X', KeyAction::zoomX, "X", "X", "横軸拡大", "Grow x"},
    {'m', KeyAction::dialog, "m", "m", "ばね・質量", "Mass, spring"},
    {'g', KeyAction::dialog, "g", "g", "外力", "Force"},
    {'j', KeyAction::dialog, "j", "j", "初期条件", "Start state"},
    {escapeKey, KeyAction::quit, "Escape", "Esc", "終了", "Quit"},
};
const int windowKeyCount = sizeof windowKeys / sizeof windowKeys[0];

KeyAction windowKeyAction(unsigned char code)
{
    for (const WindowKey& key : windowKeys) {
        if (key.code == code) {
            return key.action;
        }
    }
    return KeyAction::none;
}
