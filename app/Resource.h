#pragma once

// The resource ids of the main window and the About box, in the resource
// header's convention: IDD_ a dialog template, IDC_ a control or a cursor,
// IDB_ a bitmap, IDR_ an icon or a clip, IDS_ a string, IDM_ a menu item.
// A control's id is its objectName() in decimal; bitmap, cursor, icon and
// clip ids name their files in res/generated (bitmap<id>.bmp,
// cursor<id>.png, icon<id>.png, clip<id>.avi). The other dialogs keep their
// template id as their class's IDD.

namespace kelvane {

// The main window's controls.
constexpr int IDC_NEW = 1013;
constexpr int IDC_OPEN = 1000;
constexpr int IDC_SAVE = 1002;
constexpr int IDC_ABOUT = 1011;
constexpr int IDC_EXIT = 1007;
constexpr int IDC_UNDO = 1016;
constexpr int IDC_ZOOM = 1008;
constexpr int IDC_HFLIP = 1014;
constexpr int IDC_VFLIP = 1015;
constexpr int IDC_MODIFY = 1017;
constexpr int IDC_COLOR1 = 1022;
constexpr int IDC_COLOR2 = 1023;
constexpr int IDC_COLOR3 = 1024;
constexpr int IDC_COLOR4 = 1025;
// The frames whose rectangles the tile editor and the tile sheet take.
constexpr int IDC_EDIT_FRAME = 1003;
constexpr int IDC_SHEET_FRAME = 1005;

// The main window's buttons' images, up and pushed.
constexpr unsigned IDB_ABOUT = 134, IDB_ABOUT_DOWN = 133;
constexpr unsigned IDB_COLOR1 = 135, IDB_COLOR1_DOWN = 136;
constexpr unsigned IDB_COLOR2 = 137, IDB_COLOR2_DOWN = 138;
constexpr unsigned IDB_COLOR3 = 139, IDB_COLOR3_DOWN = 140;
constexpr unsigned IDB_COLOR4 = 141, IDB_COLOR4_DOWN = 142;
constexpr unsigned IDB_HFLIP = 144, IDB_HFLIP_DOWN = 143;
constexpr unsigned IDB_MODIFY = 146, IDB_MODIFY_DOWN = 145;
constexpr unsigned IDB_NEW = 148, IDB_NEW_DOWN = 147;
constexpr unsigned IDB_OPEN = 150, IDB_OPEN_DOWN = 149;
constexpr unsigned IDB_EXIT = 152, IDB_EXIT_DOWN = 151;
constexpr unsigned IDB_SAVE = 154, IDB_SAVE_DOWN = 153;
constexpr unsigned IDB_ZOOM = 156, IDB_ZOOM_DOWN = 160;
constexpr unsigned IDB_UNDO = 157, IDB_UNDO_DOWN = 161;
constexpr unsigned IDB_VFLIP = 159, IDB_VFLIP_DOWN = 158;

// The cursors over the tile editor (a pencil) and over the tile sheet.
constexpr int IDC_CURSOR_EDIT = 162;
constexpr int IDC_CURSOR_SHEET = 163;
// The program's icon, 32 x 32.
constexpr int IDR_MAINFRAME = 128;

// The system menu's About item and its text.
constexpr unsigned IDM_ABOUTBOX = 0x0010;
constexpr unsigned IDS_ABOUTBOX = 101;

// The About box and its clip.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDC_ANIMATE = 1003;
constexpr unsigned IDR_CLIP = 142;

}  // namespace kelvane
