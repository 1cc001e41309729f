#pragma once

// Identifiers shared by the resource script and the program. Plain #defines so that
// the resource compiler reads this file as well.

// strings
#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

// icons, menu, accelerators, dialog
#define IDI_TAVREN 107
#define IDI_SMALL 108
#define IDC_TAVREN 109
#define IDD_ABOUTBOX 103
#define IDC_ABOUT_TEXT 1001

// menu commands
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_MORE_INFO 32771
#define IDM_ROTARY_KNOBS 32772
#define IDM_REINIT_MIDI 32775
#define IDM_DYNAMIC_SCALING 32777
#define IDM_CHECK_UPDATES 32778
// the port menus, built at run time: first command + port index, for indices 0 to 100
#define IDM_FIRST_INPUT_PORT 1000
#define IDM_FIRST_OUTPUT_PORT 2000
#define IDM_LAST_PORT_INDEX 100
// the Channel menu: first command + channel - 1, for channels 1 to 16
#define IDM_FIRST_CHANNEL 3000
// the controller keyboard's menu: first command + input port index, for indices 0 to 100
#define IDM_FIRST_CONTROLLER_PORT 4000
#define IDM_ECHO_MIDI 32797

// librarian commands: .syx files, audition and restore
#define IDM_OPEN_PATCH_FILE 32780
#define IDM_SAVE_BANK 32781
#define IDM_SAVE_ALL 32782
#define IDM_AUDITION 32783
#define IDM_WRITE_PATCH 32784
#define IDM_WRITE_FILE 32785

// the edit: undo and redo, compare, rename, store, save, the settings without a knob
#define IDM_UNDO 32790
#define IDM_REDO 32791
#define IDM_COMPARE 32792
#define IDM_RENAME 32793
#define IDM_STORE 32794
#define IDM_SAVE_PATCH 32795
#define IDM_PATCH_SETTINGS 32796
#define IDD_RENAME 110
#define IDD_STORE 111
#define IDD_PATCH_SETTINGS 112
#define IDC_NAME 1002
#define IDC_BANK 1003
#define IDC_PROGRAM 1004
#define IDC_SETTINGS_NOTE 1005
// the settings dialog's rows, made at run time: a label and a field each
#define IDC_FIRST_SETTING 1100

// the keyboard and the tooltips
#define IDM_ROLLOVER_TIPS 32800
#define IDM_VALUE_TIPS 32801
#define IDM_NEXT_CONTROL 32802
#define IDM_PREVIOUS_CONTROL 32803
#define IDM_NEXT_PATCH 32804
#define IDM_PREVIOUS_PATCH 32805
#define IDM_NEXT_PATCH_PLAY 32806
#define IDM_PREVIOUS_PATCH_PLAY 32807
// the patch library: its window, the folder import, the tags dialog
#define IDM_LIBRARY 32820
#define IDM_IMPORT_FOLDER 32821
#define IDM_IMPORT_CANCEL 32822
#define IDD_LIBRARY_TAGS 130
#define IDD_IMPORT_FOLDER 131
#define IDC_LIBRARY_SEARCH 5000
#define IDC_LIBRARY_SHOW 5001
#define IDC_LIBRARY_FORMAT 5002
#define IDC_LIBRARY_SLOT 5003
#define IDC_LIBRARY_LIST 5004
#define IDC_LIBRARY_COUNT 5005
#define IDC_LIBRARY_ON_PANEL 5010
#define IDC_LIBRARY_AUDITION 5011
#define IDC_LIBRARY_STORE 5012
#define IDC_LIBRARY_EXPORT 5013
#define IDC_LIBRARY_FAVOURITE 5014
#define IDC_LIBRARY_EDIT_TAGS 5015
#define IDC_LIBRARY_REMOVE 5016
#define IDC_LIBRARY_TAGS 5020
#define IDC_LIBRARY_NOTES 5021
#define IDC_IMPORT_PATH 5030
#define IDC_IMPORT_BROWSE 5031
#define IDC_IMPORT_PROGRESS 5032
#define IDC_IMPORT_CANCEL 5033

// bitmaps
#define IDB_PANEL 129
#define IDB_KNOB_STRIP 136
#define IDB_KNOB_MASK 137
#define IDB_SWITCH_UP 141
#define IDB_SWITCH_DOWN 142
#define IDB_ABOUT 144
#define IDB_LEVER_TOP 146
#define IDB_LEVER_BOTTOM 147
#define IDB_LEVER_MIDDLE 148
#define IDB_LEVER_LOWER_MIDDLE 149
#define IDB_LEVER_UPPER_MIDDLE 150
#define IDB_BANK1_ON 151
#define IDB_BANK1_OFF 152
#define IDB_BANK2_ON 153
#define IDB_BANK2_OFF 154
#define IDB_BANK3_ON 155
#define IDB_BANK3_OFF 156
#define IDB_BANK4_ON 157
#define IDB_BANK4_OFF 158
#define IDB_GLYPHS 161
