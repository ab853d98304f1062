#pragma once
// The program's private window messages (WM_USER range). Several numbers mean
// different things to different receivers; the names say which.
#include <cstdint>

#include "platform/message_port.h"

namespace lumetra {

using platform::WM_USER;

// Socket events for the mail window, page-check window and dial-up monitor;
// to a bar: switch to the next definition.
constexpr uint32_t UM_SOCKET = WM_USER + 1;         // 1025
constexpr uint32_t UM_NEXTDEFINITION = WM_USER + 1;  // 1025, to a bar
constexpr uint32_t UM_NOUPDATE = WM_USER + 2;        // 1026, bar 0: "更新された情報はありませんでした。"
constexpr uint32_t UM_FETCHSTEP = WM_USER + 3;       // 1027, page-check window's own steps
constexpr uint32_t UM_DEFINITIONUPDATE = WM_USER + 4;  // 1028, page-check window: definition update
constexpr uint32_t UM_MAILSTEP = WM_USER + 6;        // 1030, mail window's own steps
constexpr uint32_t UM_SCROLLTOSELECTION = WM_USER + 100;  // 1124
constexpr uint32_t UM_OPENPRESELECTED = WM_USER + 200;    // 1224, options dialog
constexpr uint32_t UM_TRAYICON = WM_USER + 201;           // 1225, main: tray mouse messages
constexpr uint32_t UM_SCREENSAVERHEADLINES = WM_USER + 201;  // 1225, to a bar
constexpr uint32_t UM_STARTUP = WM_USER + 202;            // 1226, main: deferred start-up
constexpr uint32_t UM_BARPASS1 = WM_USER + 202;           // 1226, bar to bar
constexpr uint32_t UM_BARPASS2 = WM_USER + 203;           // 1227, bar to bar
constexpr uint32_t UM_BARSTEP1 = WM_USER + 204;           // 1228
constexpr uint32_t UM_BARSTEP2 = WM_USER + 205;           // 1229
constexpr uint32_t UM_RECOLLECTALL = WM_USER + 206;       // 1230, bar 0
constexpr uint32_t UM_REFRESHALL = WM_USER + 207;         // 1231, bar 0
constexpr uint32_t UM_BARSTEP3 = WM_USER + 208;           // 1232
constexpr uint32_t UM_BARNAVIGATE = WM_USER + 209;        // 1233
constexpr uint32_t UM_BARSTEP4 = WM_USER + 210;           // 1234
constexpr uint32_t UM_HANDOFF = WM_USER + 211;            // 1235, main
constexpr uint32_t UM_SHOWFOUNDLIST = WM_USER + 211;      // 1235, found-URL list
constexpr uint32_t UM_APPBUTTON = WM_USER + 212;          // 1236, main
constexpr uint32_t UM_BARLAYOUT = WM_USER + 212;          // 1236, bar
constexpr uint32_t UM_COLOREDITOR = WM_USER + 213;        // 1237, main
constexpr uint32_t UM_OPTIONSDIALOG = WM_USER + 214;      // 1238, main
constexpr uint32_t UM_OPENBAR = WM_USER + 215;            // 1239, main
constexpr uint32_t UM_TRAYRETRY = WM_USER + 216;          // 1240, main
constexpr uint32_t UM_VIEWERREQUEST = WM_USER + 400;      // 1424
constexpr uint32_t UM_EDITDEFINITION = WM_USER + 401;     // 1425, main
constexpr uint32_t UM_FORWARDNAVIGATE = WM_USER + 402;    // 1426, main
constexpr uint32_t UM_MARKSEEN = WM_USER + 410;           // 1434, bar
constexpr uint32_t UM_VIEWERWINDOW = WM_USER + 411;       // 1435

// Messages the main window accepts from outside and ignores.
constexpr uint32_t UM_IGNOREDFIRST = WM_USER + 105;  // 1129
constexpr uint32_t UM_IGNOREDLAST = WM_USER + 126;   // 1150

}  // namespace lumetra
