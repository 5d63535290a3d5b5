#pragma once
// The installer's own window messages: the one place that defines their numbers.
// Win32-free (WM_USER is 0x0400) so logic modules can name them too.
constexpr unsigned kWmUser = 0x0400;

constexpr unsigned WM_USER_COMMAND = kWmUser + 1011;          // wizard: run the command block at lparam
constexpr unsigned WM_USER_SHOW_DESC = kWmUser + 1012;        // page: show lparam in the description label
constexpr unsigned WM_USER_INSTALL_STATUS = kWmUser + 1013;   // install page: item started/succeeded/failed, run ended
constexpr unsigned WM_USER_SEARCH_DONE = kWmUser + 1014;      // network page: the search worker has finished
constexpr unsigned WM_USER_CANCEL = kWmUser + 1015;           // wizard: run CT_DLG_CANCEL
constexpr unsigned WM_USER_END_WAIT = kWmUser + 1016;         // wizard: a waited-for program ended
constexpr unsigned WM_USER_OPEN_DLG = kWmUser + 1018;         // wizard: next, previous or named page
constexpr unsigned WM_USER_PROGRESS = kWmUser + 1019;         // progress window or page: set range or step
constexpr unsigned WM_USER_PNP_DONE = kWmUser + 1020;         // device page: plug-and-play installation finished
constexpr unsigned WM_USER_LPT_FOUND = kWmUser + 1021;        // device page: a printer answered on a parallel port
constexpr unsigned WM_USER_MSGBOX_ENABLE = kWmUser + 1022;    // message dialog: lock or unlock its buttons
constexpr unsigned WM_USER_COPY_DONE = kWmUser + 1023;        // copy page: the copy worker has finished
constexpr unsigned WM_USER_COPY_TEXT = kWmUser + 1024;        // copy page: show the current file or description
constexpr unsigned WM_USER_ACTIVATE = kWmUser + 1026;         // wizard: come to the front (second instance)
constexpr unsigned WM_USER_START = kWmUser + 1027;            // wizard: start-up finished, run the first command
constexpr unsigned WM_USER_UPDATE_DONE = kWmUser + 1028;      // install page: the end-of-run command finished
constexpr unsigned WM_USER_SELECTION_SHOWN = kWmUser + 1032;  // child windows: refresh result lists
constexpr unsigned WM_USER_DLG_END = kWmUser + 1033;          // child windows: the page is being left

static_assert(WM_USER_COMMAND == 2035 && WM_USER_START == 2051 && WM_USER_DLG_END == 2057, "message numbers");
