// Resource ids shared by the resource scripts and the code.
#pragma once

// Strings used by the shell and the configuration store (the whole table lives in strings.rc).
#define IDS_APP_TITLE          1
#define IDS_HELLO              2
#define IDS_CLASS_NAME         3
#define IDS_TOOLS              104
#define IDS_CRITICAL_ERROR     302
#define IDS_TERMINATE          303
#define IDS_CANT_GRAB          304
#define IDS_CONFIGURATION      3006
#define IDS_TITLE_FORMAT       3007
#define IDS_CURRENT            3008
#define IDS_PROGRAM_KEY        3125
#define IDS_ORIGINAL           3126
#define IDS_CHANGE_MARK        3137
#define IDS_RESET_MARK         3138
#define IDS_SAVE_AS_TITLE      3139
#define IDS_DELETE_QUESTION    3140
#define IDS_CONFIRM            3141
#define IDS_RENAME_TITLE       3142
#define IDS_SAVE_CHANGES       3143
#define IDS_RESET_QUESTION     3144
#define IDS_ATTENTION          3145
#define IDS_FILE_FILTER        3149
#define IDS_EXPORT_TITLE       3150
#define IDS_IMPORT_TITLE       3151
#define IDS_ERROR              3152
#define IDS_CANT_WRITE         3153
#define IDS_FILE_HEADER        3154
#define IDS_FILE_ERROR_DOT     3155
#define IDS_CANT_OPEN          3156
#define IDS_FILE_TAG           3157
#define IDS_INVALID_FILE       3158
#define IDS_FILE_ERROR         3159
#define IDS_BACKUP_KEY         3191
#define IDS_INFORMATION        3192
#define IDS_IMPORT_PREVIOUS    3193
#define IDS_DELETE_DATA        3194
#define IDS_BAD_CONFIG_NAME    3300
#define IDS_DEVICE_UNWRITTEN   3301
#define IDS_CONFIG_UNWRITTEN   3302
#define IDS_APPLY_UNRECORDED   3303

// Compare and the kept configuration "Before Apply".
#define IDS_COMPARE_TITLE      3600
#define IDS_COMPARE_WITH_TITLE 3601
#define IDS_COMPARE_DEVICE     3602
#define IDS_COMPARE_FILE       3603
#define IDS_COMPARE_MISSING    3604
#define IDS_COMPARE_NONE       3605
#define IDS_COMPARE_ON         3606
#define IDS_COMPARE_OFF        3607
#define IDS_COMPARE_PIXELS     3608
#define IDS_COMPARE_FONT_LINE  3609
#define IDS_COMPARE_BOLD       3610
#define IDS_COMPARE_ITALIC     3611
#define IDS_COMPARE_COLOR      3612
#define IDS_COMPARE_SYSCOLOR   3613
#define IDS_COMPARE_FROM       3614
#define IDS_COMPARE_TO         3615
#define IDS_COMPARE_ENABLED    3616
#define IDS_COMPARE_DISABLED   3617
#define IDS_COMPARE_DEFAULT    3618
#define IDS_COMPARE_NAMED      3619
#define IDS_COMPARE_NOT_LISTED 3620
#define IDS_COMPARE_DEVICE_COLUMN 3621
#define IDS_COMPARE_FONT       3622
#define IDS_MISC_WINDOW_ANIMATION 3623
#define IDS_MISC_MENU_ANIMATION 3624
#define IDS_MISC_SPEED         3625
#define IDS_MISC_GLYPH_CACHE   3626
#define IDS_MISC_INBOX_SIZE    3627
#define IDS_MISC_BROWSER_SIZE  3628
#define IDS_SIP_ALLOW_CHANGE   3629
#define IDS_KEPT_NAME          3630
#define IDS_KEPT_NAME_TAKEN    3631
#define IDS_NO_WAY_BACK        3632
#define IDS_UNDO_QUESTION      3633

// Compare on stored values, the kept configuration's protection, device names as file names.
#define IDS_COMPARE_STORED       3640
#define IDS_COMPARE_STORED_NAMED 3641
#define IDS_COMPARE_STORED_TEXT  3642
#define IDS_COMPARE_STORED_BYTES 3643
#define IDS_COMPARE_STORED_TYPE  3644
#define IDS_UNDO_QUESTION_UNNAMED 3645
#define IDS_KEPT_READ_ONLY       3646
#define IDS_DEVICE_FILE_NAME     3647
#define IDS_NOTHING_KEPT         3648
#define IDS_EXPORT_NOT_WRITTEN   3649

// The command line (orvanel /list, /capture, /export, /import, /compare, /apply, /help).
#define IDS_CMD_USAGE          3700
#define IDS_CMD_NO_COMMAND     3701
#define IDS_CMD_UNEXPECTED     3702
#define IDS_CMD_USE            3703
#define IDS_CMD_NEEDS_VALUE    3704
#define IDS_CMD_TWO_COMMANDS   3705
#define IDS_CMD_RUNNING        3706
#define IDS_CMD_NO_CONFIG      3707
#define IDS_CMD_CONFIG_EXISTS  3708
#define IDS_CMD_FILE_EXISTS    3709
#define IDS_CMD_CANT_LOG       3710
#define IDS_CMD_CAPTURED       3711
#define IDS_CMD_EXPORTED       3712
#define IDS_CMD_IMPORTED       3713
#define IDS_CMD_APPLIED        3714
#define IDS_CMD_AFTER_RESET    3715
#define IDS_CMD_RESETTING      3716
#define IDS_CMD_COMPARE_HEAD   3717
#define IDS_CMD_NAME_FROM_FILE 3718
#define IDS_CMD_ANSWERED_NO    3719
#define IDS_CMD_COMPARE_LINE   3720
#define IDS_CMD_ABOUT          3721
#define IDS_CMD_NO_WAY_BACK    3722
#define IDS_CMD_WITHOUT_WAY_BACK 3723
#define IDS_CMD_DEVICE_WRITTEN 3724
#define IDS_CMD_REFUSED        3725

// Icon, menus, accelerators.
#define IDI_ORVANEL            101
#define IDR_MAINMENU           102   // menu 102 and the menu bar record 102
#define IDR_ACCELERATORS       3

// Dialogs.
#define IDD_CHOOSE_COLOR       101
#define IDD_ASK_NAME           102
#define IDD_ABOUT              103
#define IDD_APPEARANCE         104
#define IDD_SIZE               106
#define IDD_MISC               107
#define IDD_SIP                108
#define IDD_FONTS              109
#define IDD_THEME              110
#define IDD_CHOOSE_COLOR_LAND  201
#define IDD_APPEARANCE_LAND    202
#define IDD_SIZE_LAND          203
#define IDD_SIP_LAND           204
#define IDD_FONTS_LAND         205
#define IDD_MISC_LAND          206
#define IDD_THEME_LAND         207
#define IDD_COMPARE_WITH       311   // the other side of a comparison
#define IDD_COMPARE            312   // the differences
#define IDD_COMPARE_WITH_LAND  313
#define IDD_COMPARE_LAND       314

// Controls.
#define IDC_NAME_EDIT          1029
#define IDC_ABOUT_ICON         1000
#define IDC_ABOUT_TEXT         1001

// Colour chooser.
#define IDC_CHOOSER_SWATCH_FIRST   1003   // sixteen swatches, 1003 to 1018, four rows of four
#define IDC_CHOOSER_SWATCH_LAST    1018
#define IDC_CHOOSER_RED            1020
#define IDC_CHOOSER_GREEN          1021
#define IDC_CHOOSER_BLUE           1022
#define IDC_CHOOSER_RED_ARROWS     1023
#define IDC_CHOOSER_GREEN_ARROWS   1024
#define IDC_CHOOSER_BLUE_ARROWS    1025
#define IDC_CHOOSER_SAMPLE         1028
#define IDC_CHOOSER_RED_LABEL      1040
#define IDC_CHOOSER_GREEN_LABEL    1041
#define IDC_CHOOSER_BLUE_LABEL     1042

// Appearance (GUI) page.
#define IDC_GUI_FACE               1004   // font face
#define IDC_GUI_COLOR              1005   // owner-drawn colour button
#define IDC_GUI_BOLD               1006
#define IDC_GUI_ITALIC             1007
#define IDC_GUI_SIZE               1009   // font size, 8 to 20
#define IDC_GUI_ELEMENT            1010   // the elements
#define IDC_GUI_PREVIEW            1052   // invisible: marks the preview area

// Size page.
#define IDC_SIZE_METRIC            1010   // the metrics
#define IDC_SIZE_ARROWS            1025   // up-down of the value
#define IDC_SIZE_VALUE             1032   // the current metric's value
#define IDC_SIZE_LABEL             1033   // invisible: the current metric's label

// Input method (Sip) page.
#define IDC_SIP_LIST               1001   // the methods, with check boxes
#define IDC_SIP_DEFAULT_LINE       1036   // "Default: %s"
#define IDC_SIP_SET_DEFAULT        1037
#define IDC_SIP_RENAME             1038
#define IDC_SIP_TOGGLE             1039
#define IDC_SIP_RESTORE            1040
#define IDC_SIP_ALLOW_CHANGE       1041   // made hidden, never shown
#define IDC_SIP_TITLE              1053
#define IDC_SIP_NOTE               1054
#define IDC_SIP_SEPARATOR          1055

// Fonts page.
#define IDC_FONTS_FILES            1042   // every font file found
#define IDC_FONTS_ACTIVE           1043   // the fonts the system loads
#define IDC_FONTS_FULL_NAME        1044   // "Full font name: %s" of the selected file
#define IDC_FONTS_LOOKUP           1045
#define IDC_FONTS_INSTALL          1046
#define IDC_FONTS_REMOVE           1047
#define IDC_FONTS_DELETE           1048
#define IDC_FONTS_FILES_LABEL      1053
#define IDC_FONTS_NOTE             1054
#define IDC_FONTS_ACTIVE_LABEL     1055

// Misc page (the same ids in both templates).
#define IDC_MISC_SPEED             1030   // menu animation speed, 1 to 9
#define IDC_MISC_INBOX_SIZE        1031   // Inbox message list font size
#define IDC_MISC_BROWSER_SIZE      1032   // Internet Explorer text size
#define IDC_MISC_WINDOW_ANIMATION  1034
#define IDC_MISC_MENU_ANIMATION    1035
#define IDC_MISC_GLYPH_EDIT        1047   // glyph cache limit
#define IDC_MISC_GLYPH_SET         1048
#define IDC_MISC_SPEED_LABEL       1053
#define IDC_MISC_GLYPH_LABEL       1054
#define IDC_MISC_INBOX_LABEL       1055
#define IDC_MISC_BROWSER_LABEL     1056
#define IDC_MISC_ANIMATION_GROUP   1057
#define IDC_MISC_FONTS_GROUP       1058

// Theme page (the same ids in both templates) and its Today picture.
#define IDC_THEME_ITEM             1010   // the Today colours
#define IDC_THEME_SECOND_COLOR     1049   // owner-drawn, shown for two-colour items only
#define IDC_THEME_FIRST_COLOR      1050   // owner-drawn
#define IDC_THEME_BAR              1051   // invisible: marks the colour bar
#define IDC_THEME_LANDSCAPE_NOTE   1059   // invisible: its text is painted in landscape

// Compare: the choice of the other side, and the differences.
#define IDC_COMPARE_SIDES          1150
#define IDC_COMPARE_LIST           1151   // owner-drawn
#define IDC_COMPARE_NONE           1152
#define IDS_THEME_STATUS_BAR       3195
#define IDS_THEME_TODAY_TEXT       3196
#define IDS_THEME_TITLE            3197
#define IDS_THEME_SEPARATORS       3199
#define IDS_THEME_TOOLTIP          3200
#define IDS_THEME_CRITICAL         3201
#define IDS_THEME_TITLE_TEXT       3202
#define IDB_TODAY                  103    // 240 x 167, 8 bits per pixel
#define IDB_TODAY_MASK             105    // 1 bit: 1 where the watermark shows through
#define IDB_TODAY_STATUS           106    // colour masks: 0 where the colour paints
#define IDB_TODAY_TEXT             107
#define IDB_TODAY_TITLE            108
#define IDB_TODAY_SEPARATORS       110
#define IDB_TIP_MASK               111    // the reminder bubble's mask and picture
#define IDB_TIP                    112
#define IDB_TODAY_TIP_TITLE        113
#define IDB_TODAY_CRITICAL_TITLE   114
#define IDB_CRITICAL_MASK          115    // the warning bubble's mask and picture
#define IDB_CRITICAL               116
#define IDB_TODAY_TITLE_TEXT       117

// Menu bar buttons and commands.
#define IDM_TOOLS_BUTTON       2001
#define IDM_ABOUT              2003
#define IDM_CONFIG_BUTTON      2004
#define IDM_SAVE               40001
#define IDM_PLACEHOLDER        40002
#define IDM_MARK_APPLIED       40003
#define IDM_SAVE_AS            40004
#define IDM_APPLY              40005
#define IDM_DELETE             40006
#define IDM_RENAME             40007
#define IDM_EXPORT             40008
#define IDM_IMPORT             40009
#define IDM_COMPARE            40020
#define IDM_UNDO_APPLY         40021
#define IDM_CONFIG_FIRST       4096
#define IDM_CONFIG_LAST        4159

// Accelerator command that quits the program (Ctrl+Q).
#define IDM_QUIT               1

// The device's file dialogs (Export, Import): controls made in code, laid out from the screen.
#define IDC_FILE_NAME_LABEL      1100
#define IDC_FILE_NAME            1101
#define IDC_FILE_FOLDER_LABEL    1102
#define IDC_FILE_FOLDER          1103
#define IDC_FILE_TYPE_LABEL      1104
#define IDC_FILE_TYPE            1105
#define IDC_FILE_LOCATION_LABEL  1106
#define IDC_FILE_LOCATION        1107
#define IDC_FILE_LIST            1108

#define IDS_FD_SAVE_TITLE        3500
#define IDS_FD_OPEN_TITLE        3501
#define IDS_FD_NAME              3502
#define IDS_FD_FOLDER            3503
#define IDS_FD_TYPE              3504
#define IDS_FD_LOCATION          3505
#define IDS_FD_OK                3506
#define IDS_FD_CANCEL            3507
#define IDS_FD_NO_FOLDER_CHOICE  3508
#define IDS_FD_MAIN_MEMORY       3509
#define IDS_FD_STORAGE_CARD      3510
#define IDS_FD_ALL_FOLDERS       3511
#define IDS_FD_MY_DOCUMENTS      3512
#define IDS_FD_COLUMN_NAME       3513
#define IDS_FD_COLUMN_FOLDER     3514
#define IDS_FD_COLUMN_DATE       3515
#define IDS_FD_COLUMN_SIZE       3516
#define IDS_FD_EMPTY_NAME        3517
#define IDS_FD_BAD_CHARACTERS    3518
#define IDS_FD_FOLDER_GONE       3519
#define IDS_FD_NO_CARD           3520
#define IDS_FD_REPLACE           3521
#define IDS_FD_TOO_LONG          3522
#define IDS_FD_FILE_GONE         3523
#define IDS_FD_IS_FOLDER         3524
#define IDS_FD_SIZE_BYTES        3525
#define IDS_FD_SIZE_KB           3526
#define IDS_FD_SIZE_MB           3527
#define IDS_FD_DEVICE_NAME       3530

// Today themes (strings 3800-3899, controls 1160-1189, commands 40030-40039).
#define IDS_THEME_FILTER           3800   // "#"-separated pairs, as IDS_FILE_FILTER
#define IDS_THEME_OPEN_TITLE       3801
#define IDS_THEME_SAVE_TITLE       3802
#define IDS_THEME_NOT_CABINET      3803
#define IDS_THEME_DAMAGED          3804
#define IDS_THEME_NO_SETUP         3805
#define IDS_THEME_OUTSIDE          3806
#define IDS_THEME_UNENDED          3807
#define IDS_THEME_NO_COLORS        3808
#define IDS_THEME_BAD_IMAGE        3809   // the image's name, then the file
#define IDS_THEME_MISSING          3810
#define IDS_THEME_TOO_LARGE        3811
#define IDS_THEME_COLORS_ONLY      3812
#define IDS_THEME_CANT_MAKE        3813
#define IDS_THEME_NO_LIBRARY       3814
#define IDS_THEME_OPEN_ITEM        3815
#define IDS_THEME_SAVE_ITEM        3816
#define IDC_THEME_FILE             1160   // "Theme...": its menu opens and saves themes
#define IDM_THEME_OPEN             40030
#define IDM_THEME_SAVE             40031

// A configuration as the device's installer and as a provisioning document (strings 3900-3999,
// commands 40040-40049).
#define IDS_FORMS_FILTER           3900   // "#"-separated pairs, as IDS_FILE_FILTER
#define IDS_FORM_LEFT_OUT          3901   // the file, then the values
#define IDS_FORM_OTHERS            3902   // the file, then what was read over
#define IDS_FORM_NOT_CABINET       3903
#define IDS_FORM_DAMAGED           3904
#define IDS_FORM_NO_SETUP          3905
#define IDS_FORM_OUTSIDE           3906
#define IDS_FORM_UNENDED           3907
#define IDS_FORM_MISSING           3908
#define IDS_FORM_TOO_LARGE         3909
#define IDS_FORM_NO_LIBRARY        3910
#define IDS_FORM_NO_PARSER         3911
#define IDS_FORM_MALFORMED         3912   // the file, then the parser's words
#define IDS_FORM_NOT_PROVISIONING  3913
#define IDS_FORM_TOO_DEEP          3914
#define IDS_FORM_NO_VALUES         3915
#define IDS_FORM_FONTS_UNPROVIDED  3916   // the file, then the faces
#define IDS_FORM_FONTS_NOT_CARRIED 3917   // the file, then the font files
#define IDS_FORM_CANT_MAKE         3918
#define IDS_FORM_NO_DOCUMENT       3919
#define IDS_FORM_NOT_WRITTEN       3920
#define IDS_FORM_KEYS_CREATED      3921   // the file, then the keys
