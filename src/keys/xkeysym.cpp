#include "xkeysym.h"

#include <Qt>

#include <array>
#include <utility>

namespace {

// Values from X11/keysymdef.h.
constexpr std::array<std::pair<int, quint32>, 41> kNamed{{
    {Qt::Key_Escape, 0xff1b},
    {Qt::Key_Tab, 0xff09},
    {Qt::Key_Backtab, 0xfe20},
    {Qt::Key_Backspace, 0xff08},
    {Qt::Key_Return, 0xff0d},
    {Qt::Key_Enter, 0xff8d},
    {Qt::Key_Insert, 0xff63},
    {Qt::Key_Delete, 0xffff},
    {Qt::Key_Pause, 0xff13},
    {Qt::Key_Print, 0xff61},
    {Qt::Key_Home, 0xff50},
    {Qt::Key_End, 0xff57},
    {Qt::Key_Left, 0xff51},
    {Qt::Key_Up, 0xff52},
    {Qt::Key_Right, 0xff53},
    {Qt::Key_Down, 0xff54},
    {Qt::Key_PageUp, 0xff55},
    {Qt::Key_PageDown, 0xff56},
    {Qt::Key_Menu, 0xff67},
    {Qt::Key_Help, 0xff6a},
    {Qt::Key_Clear, 0xff0b},
    {Qt::Key_Space, 0x0020},
    {Qt::Key_MediaPlay, 0x1008ff14},
    {Qt::Key_MediaStop, 0x1008ff15},
    {Qt::Key_MediaPrevious, 0x1008ff16},
    {Qt::Key_MediaNext, 0x1008ff17},
    {Qt::Key_MediaPause, 0x1008ff31},
    {Qt::Key_MediaTogglePlayPause, 0x1008ff14},
    {Qt::Key_VolumeUp, 0x1008ff13},
    {Qt::Key_VolumeDown, 0x1008ff11},
    {Qt::Key_VolumeMute, 0x1008ff12},
    {Qt::Key_Back, 0x1008ff26},
    {Qt::Key_Forward, 0x1008ff27},
    {Qt::Key_Stop, 0x1008ff28},
    {Qt::Key_Refresh, 0x1008ff29},
    {Qt::Key_Favorites, 0x1008ff30},
    {Qt::Key_Search, 0x1008ff1b},
    {Qt::Key_Tools, 0x1008ff81},
    {Qt::Key_Launch5, 0x1008ff45},
    {Qt::Key_Launch6, 0x1008ff46},
    {Qt::Key_Launch7, 0x1008ff47},
}};

} // namespace

std::optional<quint32> xKeysymForKey(int key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + quint32(key - Qt::Key_F1);
    // Letters are keyed by the upper case; X names the key by its lower case.
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return quint32(key - Qt::Key_A + 'a');
    if (key > 0x20 && key <= 0xff && key != 0x7f)
        return quint32(key);
    for (const auto &[qtKey, keysym] : kNamed)
        if (qtKey == key)
            return keysym;
    return std::nullopt;
}
