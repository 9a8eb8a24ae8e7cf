/* Resource, control and command ids of compare.exe.
 *
 * Shared by the C++ sources and by windres, so this file holds nothing but
 * #define lines. Command ids double as string ids: the string with a
 * command's number is its tool-bar tooltip ("long text\nshort text", the part
 * after the line feed is the tip). A command's menu text is in the comment.
 *
 * Image bitmaps that come with a mask are pairs (image, image + 1). The mask
 * is monochrome, 1 = transparent, 0 = opaque, and the image is black where
 * the mask is 1, so BitBlt(mask, SRCAND) then BitBlt(image, SRCPAINT) draws
 * it transparently. Strips (1201, 2002-2005) are 24-bit images 16 pixels
 * wide each and 15 high, with magenta 0xFF00FF as the transparent colour.
 */
#ifndef QM_RESOURCES_RESOURCE_H
#define QM_RESOURCES_RESOURCE_H

/* ---- Icon, cursors -------------------------------------------------- */
#define IDI_COMPARE 1100              /* program and window icon, 16/32/48 px */

#define IDR_ACCEL_TEXT 1110           /* accelerators of text windows */
#define IDR_ACCEL_FOLDER 1111         /* accelerators of folder windows */

#define IDR_MENU_FOLDER 1120          /* menu bar of folder windows */
#define IDR_MENU_TEXT 1121            /* menu bar of text windows */
#define IDR_MENU_PANE_LEFT 1122       /* pane: difference on the left side (copy -->) */
#define IDR_MENU_PANE_RIGHT 1123      /* pane: difference on the right side (copy <--) */
#define IDR_MENU_PANE_FILLER 1124     /* pane: filler row opposite a one-sided difference */
#define IDR_MENU_PANE_SAME 1125       /* pane: unchanged row */

#define IDCUR_GUTTER 1130             /* over a line-number gutter: arrow pointing right */
#define IDCUR_DROP_SAME 1131          /* text drag, drop allowed on the same side (move) */
#define IDCUR_DROP_OTHER 1132         /* text drag, drop allowed on the other side (copy) */

/* ---- Dialogs ---------------------------------------------------------- */
#define IDD_PROGRESS 1140             /* "Please wait...", 186 x 51 */
#define IDD_OPTIONS 1141              /* "Options", 317 x 201 */
#define IDD_OPTIONS_TEXT 1142         /* page "Text files", 216 x 191 child */
#define IDD_OPTIONS_FOLDERS 1143      /* page "Folders" */
#define IDD_OPTIONS_MISC 1144         /* page "Misc." */
#define IDD_OPTIONS_DISPLAY 1145      /* page "Display" */
#define IDD_PRINTING 1146             /* "Printing..." status while a job runs */
#define IDD_PAGE_SETUP 1147           /* "Page setup" */
#define IDD_EXPORT 1148               /* "Export" */
#define IDD_PREVIEW 1149              /* "Print preview", resizable */
#define IDD_ABOUT 24000               /* "About Quillmere" */
#define IDD_TIPS 25000                /* "Tip of the day" */

/* Progress dialog 1140: the static text, the bar of the bytes read and IDCANCEL. */
#define IDC_PROGRESS_TEXT 1150
#define IDC_PROGRESS_BAR 1151

/* Options dialog 1141 and its pages. */
#define IDC_OPTIONS_PAGES 10000       /* owner-drawn list of the four pages */

#define IDC_OPT_IGNORE_CASE 10100     /* "Treat &upper and lower case as the same" */
#define IDC_OPT_BLANKS_ALL 10101      /* "Ignore &all differences" */
#define IDC_OPT_BLANKS_MULTIPLE 10102 /* "Ignore &multiple blanks" */
#define IDC_OPT_BLANKS_START 10103    /* "Ignore at line &start" */
#define IDC_OPT_BLANKS_END 10104      /* "Ignore at line &end" */
#define IDC_OPT_COMPARE_CHANGES 10105 /* "&Try to recognize "changed" lines" */
#define IDC_OPT_HIGHLIGHT 10106       /* "&Highlight differences in changed lines" */

#define IDC_OPT_FOLDER_UNDO 10200     /* "E&nable undo/redo" */
#define IDC_OPT_NAME_CASE 10201       /* "Treat &upper and lower case file names as the same" */
#define IDC_OPT_SUBFOLDERS 10202      /* "&Look into subfolders" */
#define IDC_OPT_FILE_ATTRIBS 10203    /* "&Attributes (hidden, read-only)" (files) */
#define IDC_OPT_FILE_DATE 10204       /* "&Modification date and time" (files) */
#define IDC_OPT_FILE_SIZE 10205       /* "File &size" */
#define IDC_OPT_CONTENTS_QUICK 10206  /* "Contents (&quick)" */
#define IDC_OPT_CONTENTS_FULL 10207   /* "Contents (&full)" */
#define IDC_OPT_FOLDER_ATTRIBS 10208  /* "A&ttributes (hidden, read-only)" (folders) */
#define IDC_OPT_FOLDER_DATE 10209     /* "Modification &date and time" (folders) */
#define IDC_OPT_HAVE_INCLUDE 10210    /* "&Include only the following files and folders:" */
#define IDC_OPT_INCLUDE 10211         /* include filter combo box */
#define IDC_OPT_HAVE_EXCLUDE 10212    /* "&Exclude the following files and folders:" */
#define IDC_OPT_EXCLUDE 10213         /* exclude filter combo box */

#define IDC_OPT_FONT 10300            /* font list */
#define IDC_OPT_FONT_SIZE 10301       /* size list */
#define IDC_OPT_TAB_SIZE 10302        /* tab size list */
#define IDC_OPT_COLOR_TEXT 10303      /* "Text:" */
#define IDC_OPT_COLOR_READONLY 10304  /* "Read-only:" */
#define IDC_OPT_COLOR_SAME 10305      /* "Same:" */
#define IDC_OPT_COLOR_EMPTY 10306     /* "Empty:" */
#define IDC_OPT_COLOR_LEFT 10307      /* "Left-only:" */
#define IDC_OPT_COLOR_RIGHT 10308     /* "Right-only:" */
#define IDC_OPT_COLOR_CHANGE 10309    /* "Change:" */
#define IDC_OPT_COLOR_DEFAULTS 10310  /* "&Defaults" */

#define IDC_OPT_IDENTICAL_MSG 10400   /* "Show &message if files or folders are identical" */
#define IDC_OPT_SCROLL_FIRST 10401    /* "Automatically &scroll to first difference (on refresh)" */
#define IDC_OPT_WRAP_AROUND 10402     /* "&Wrap Next/Prev Diff commands" */
#define IDC_OPT_ASK_CONFIRM 10403     /* "Ask for &confirmation before closing modified files" */
#define IDC_OPT_REUSE_TEXT 10404      /* "Do not open multiple &text windows" */
#define IDC_OPT_REUSE_FOLDER 10405    /* "Do not open multiple &folder windows" */
#define IDC_OPT_CARET_BOX 10406       /* "Draw &box around active line" (Display page) */
#define IDC_OPT_ARROWS 10407          /* "Draw diffs as colored &arrows" (Display page) */
#define IDC_OPT_ESC_QUITS 10408       /* "<&Esc> quits the application" */
#define IDC_OPT_DROP_DELETE 10409     /* "&Delete text when dropped outside window" */
#define IDC_OPT_DBLCLICK 10410        /* "D&ouble-click in folder window to perform default action" */
#define IDC_OPT_SMART_REFRESH 10411   /* "Sm&art refresh" */
#define IDC_OPT_SEARCH_SELECTED 10412 /* "Sea&rch for selected text (not last-searched-for text)" */
#define IDC_OPT_JUMP_NEXT 10413       /* "&Jump to next diff after merge command" */
#define IDC_OPT_ALLOW_BINARY 10414    /* "Allow comparison of &binary files" */

/* Export dialog 1148. */
#define IDC_EXPORT_EVERYTHING 10600   /* "&Everything" */
#define IDC_EXPORT_CONTEXT 10601      /* "&Context (diffs and surrounding lines)" */
#define IDC_EXPORT_DIFFS 10602        /* "&Differences only" */
#define IDC_EXPORT_FILE 10603         /* output file edit box */
#define IDC_EXPORT_BROWSE 10604       /* "&Browse..." */

/* Printing 1146, page setup 1147, print preview 1149. */
#define IDC_PRINTING_STATUS 10700     /* "Page %1!ld! of %2!ld!" line */
#define IDC_PAGE_SCALE 10701          /* "Scale (%):" drop-down list */
#define IDC_PAGE_PRINTER_SETUP 10702  /* "Printer setup..." */
#define IDC_PREVIEW_PRINT 10703       /* "&Print..." */
#define IDC_PREVIEW_SETUP 10704       /* "&Setup..." */
#define IDC_PREVIEW_PANE 10705        /* window class "PreviewPane" */
#define IDC_PREVIEW_PREV 10706        /* "<<" */
#define IDC_PREVIEW_NEXT 10707        /* ">>" */

/* About box 24000 ("&Close" is IDCANCEL). */
#define IDC_ABOUT_PICTURE 24002       /* the program icon */
#define IDC_ABOUT_PRODUCT 24003       /* "Quillmere" */
#define IDC_ABOUT_VERSION 24004       /* "Version 2.3a", bold */
#define IDC_ABOUT_DATE 24005          /* "November 15, 2004" */
#define IDC_ABOUT_RULE 24006          /* etched horizontal rule */
#define IDC_ABOUT_WEBSITE 24007       /* link to the web site */
#define IDC_ABOUT_SUPPORT 24008       /* link to the support address */
#define IDC_ABOUT_COPYRIGHT 24009

/* Tip of the day 25000 ("&Close" is IDCANCEL). */
#define IDB_TIP_BULB 25001            /* bulb picture, white background */
#define IDR_TIPS 25002                /* resource type "TIPS": one tip per CR LF line */
#define IDC_TIP_FRAME 25005           /* white area behind header and tip */
#define IDC_TIP_PICTURE 25006         /* left band showing the bulb, owner-drawn */
#define IDC_TIP_HEADER 25007          /* "Did you know..." */
#define IDC_TIP_TEXT 25008            /* the tip */
#define IDC_TIP_SHOW_ON_STARTUP 25009 /* "&Show tips on startup" */
#define IDC_TIP_NEXT 25010            /* "&Next Tip" */

/* ---- Bitmaps ---------------------------------------------------------- */
#define IDB_DIVIDER_PATTERN 1200      /* 8 x 8 pattern of the divider brush */
#define IDB_TOOLBAR 1201              /* 17 images: see the window tool bars */
#define IDB_MODIFIED 1202             /* 9 x 11 "side modified" marker (+ mask 1203) */
#define IDB_MODIFIED_MASK 1203
#define IDB_READONLY 1204             /* 9 x 11 "side read-only" marker (+ mask 1205) */
#define IDB_READONLY_MASK 1205
#define IDB_BROWSE 1206               /* 16 x 15 browse button image (+ mask 1207) */
#define IDB_BROWSE_MASK 1207
#define IDB_MARK_OPENED 1208          /* 9 x 9 folder-list state marks, each + mask */
#define IDB_MARK_OPENED_MASK 1209
#define IDB_MARK_COPIED_TO_OLD 1210
#define IDB_MARK_COPIED_TO_OLD_MASK 1211
#define IDB_MARK_COPIED_TO_NEW 1212
#define IDB_MARK_COPIED_TO_NEW_MASK 1213
#define IDB_MARK_DELETED 1214
#define IDB_MARK_DELETED_MASK 1215
#define IDB_GO_UP 1216                /* 16 x 15 "Go up one folder" button image (+ mask) */
#define IDB_GO_UP_MASK 1217
#define IDB_PAGE_TEXT 1218            /* 16 x 15 Options page pictures, each + mask */
#define IDB_PAGE_TEXT_MASK 1219
#define IDB_PAGE_FOLDERS 1220
#define IDB_PAGE_FOLDERS_MASK 1221
#define IDB_PAGE_DISPLAY 1222         /* also the TrueType mark of the font list */
#define IDB_PAGE_DISPLAY_MASK 1223
#define IDB_PAGE_MISC 1224
#define IDB_PAGE_MISC_MASK 1225

#define IDB_STRIP_MAIN 2002           /* 11 command images */
#define IDB_STRIP_HELP 2003           /* 8 command images */
#define IDB_STRIP_EDIT 2004           /* 19 command images */
#define IDB_STRIP_FOLDER 2005         /* 6 command images */

/* ---- Controls of the comparison windows ----------------------------- */
#define IDC_TOOLBAR 20400
#define IDC_STATUSBAR 20401
#define IDC_LEFT_NAME 20402           /* left file / old folder combo box */
#define IDC_RIGHT_NAME 20403          /* right file / new folder combo box */
#define IDC_BROWSE_LEFT 20404         /* text window browse buttons */
#define IDC_BROWSE_RIGHT 20405
#define IDC_CHOOSE_OLD_FOLDER 20406   /* folder window buttons */
#define IDC_CHOOSE_NEW_FOLDER 20407
#define IDC_GO_UP_OLD 20408
#define IDC_GO_UP_NEW 20409
#define IDC_LIST_NEW 20410            /* folder result lists */
#define IDC_LIST_OLD 20411
#define IDC_LIST_CHANGED 20412
#define IDC_LIST_SAME 20413
#define IDC_QUICKBAR_COMBO 20414

/* ---- Commands --------------------------------------------------------- */
/* File */
#define ID_FILE_NEW_TEXT_WINDOW 20000   /* "New &Text Window\tCtrl+N" */
#define ID_FILE_NEW_FOLDER_WINDOW 20001 /* "New &Folder Window\tCtrl+D" */
#define ID_FILE_COMPARE_PARENTS 20002   /* "C&ompare Parents" */
#define ID_FILE_EXPORT 20003            /* "&Export..." */
#define ID_FILE_PRINT 20006             /* "&Print...\tCtrl+P" */
#define ID_FILE_PRINT_PREVIEW 20007     /* tool bar and preview only */
#define ID_FILE_CLOSE 20008             /* "&Close" (Ctrl+W) */
#define ID_FILE_EXIT 20009              /* "E&xit" (Ctrl+Q) */
#define ID_FILE_PAGE_SETUP 20010        /* "Page Set&up..." */

/* Edit */
#define ID_EDIT_UNDO 20100              /* "&Undo\tCtrl+Z" */
#define ID_EDIT_REDO 20101              /* "&Redo\tCtrl+Y" */
#define ID_EDIT_CUT 20102               /* "Cu&t\tCtrl+X" */
#define ID_EDIT_COPY 20103              /* "&Copy\tCtrl+C" */
#define ID_EDIT_PASTE 20104             /* "&Paste\tCtrl+V" */
#define ID_EDIT_DELETE 20105            /* "&Delete\tDel" */
#define ID_EDIT_SELECT_ALL 20106        /* "Select A&ll\tCtrl+A" */
#define ID_EDIT_FIND 20107              /* "&Find...\tCtrl+F" */
#define ID_EDIT_FIND_NEXT 20108         /* "Find &Next\tF3" */
#define ID_EDIT_FIND_PREV 20109         /* "Find Pre&v\tCtrl+F3" */
#define ID_EDIT_REPLACE_LEFT 20110      /* "R&eplace <--" */
#define ID_EDIT_REPLACE_RIGHT 20111     /* "Repl&ace -->" */

/* View */
#define ID_VIEW_TOOLBAR 20200           /* "&Toolbar" */
#define ID_VIEW_STATUSBAR 20201         /* "&Status Bar" */
#define ID_VIEW_SUMMARY 20202           /* "S&ummary" */
#define ID_VIEW_WHITESPACE 20203        /* "W&hite Space" */
#define ID_VIEW_WORDWRAP 20204          /* no menu item */
#define ID_VIEW_SYNC_SCROLL 20205       /* "S&ync Scrolling" */
#define ID_VIEW_OTHER_SIDE 20206        /* F4, no menu item */
#define ID_VIEW_LINES_VIRTUAL 20207     /* "&Virtual" under "&Line Numbers" */
#define ID_VIEW_LINES_REAL 20208        /* "&Real" */
#define ID_VIEW_LINES_NONE 20209        /* "&None" */
#define ID_VIEW_PREV_DIFF 20210         /* "&Prev Diff\tF7" */
#define ID_VIEW_NEXT_DIFF 20211         /* "&Next Diff\tF8" */
#define ID_VIEW_REFRESH 20212           /* "&Refresh\tF5" */
#define ID_VIEW_SWITCH_SIDES 20213      /* "S&witch Sides" */
#define ID_VIEW_OPTIONS 20214           /* "&Options..." */
#define ID_VIEW_QUICKBAR 20215          /* "&Quick Bar" */

/* Window */
#define ID_WINDOW_CASCADE 20300         /* "&Cascade" */
#define ID_WINDOW_TILE_HORZ 20301       /* "Tile &Horizontally" */
#define ID_WINDOW_TILE_VERT 20302       /* "&Tile Vertically" */
#define ID_WINDOW_FOLDER_FIRST 59000    /* + position in the folder window list */
#define ID_WINDOW_FOLDER_LAST 59499
#define ID_WINDOW_TEXT_FIRST 59500      /* + position in the text window list */
#define ID_WINDOW_TEXT_LAST 59999

/* Sides and merging (text windows) */
#define ID_SIDE_BROWSE 20500            /* browse for the active side */
#define ID_SIDE_SAVE 20501              /* "&Save\tCtrl+S" */
#define ID_SIDE_SAVE_AS 20502           /* "Save &As...\tF12" */
#define ID_SIDE_SAVE_ALL 20503          /* "Save A&ll" */
#define ID_MERGE_COPY_LINE_LEFT 20504   /* "Cop&y Line" (right side's menu) */
#define ID_MERGE_COPY_LINE_RIGHT 20505  /* "Cop&y Line" (left side's menu) */
#define ID_MERGE_DELETE_LINE 20506      /* "D&elete Line\tCtrl+Shift+Del" */
#define ID_MERGE_COPY_LEFT 20507        /* "&Copy <--\tCtrl+F7" */
#define ID_MERGE_COPY_RIGHT 20508       /* "&Copy -->\tCtrl+F8" */
#define ID_MERGE_DELETE_DIFF 20509      /* "&Delete Diff\tCtrl+Del" */
#define ID_MERGE_CLIP_LINE 20510        /* caret line to the clipboard, no menu */
#define ID_MERGE_CLIP_BLOCK 20511       /* block to the clipboard, no menu */
#define ID_SIDE_OPEN_IN_APP 20512       /* "&Open in app" */
#define ID_SIDE_EXPLORE 20513           /* "E&xplore folder" */
#define ID_SIDE_PROPERTIES 20514        /* "&Properties" */
#define ID_MERGE_COPY_LINE_ANY 20515    /* line to the left, else to the right, no menu */
#define ID_MERGE_COPY_BLOCK_ANY 20516   /* block to the left, else to the right, no menu */

/* Folder list commands */
#define ID_FOLDER_COMPARE 20600         /* "Co&mpare..." */
#define ID_FOLDER_COPY_TO_OLD 20601     /* "&Copy to old" */
#define ID_FOLDER_COPY_TO_NEW 20602     /* "C&opy to new" */
#define ID_FOLDER_DELETE_OLD 20603      /* "&Delete old" */
#define ID_FOLDER_DELETE_NEW 20604      /* "D&elete new" */
#define ID_FOLDER_DELETE_BOTH 20605     /* "Delete &both" */

/* Help */
#define ID_HELP_MANUAL 20700            /* "&User's Manual\tF1" */
#define ID_HELP_QUICK_TOUR 20701        /* "&Quick Tour" */
#define ID_HELP_WEBSITE 20702           /* "Visit our &Website" */
#define ID_HELP_SUPPORT 20704           /* "Customer &Support" */
#define ID_HELP_ABOUT 20705             /* "&About..." */
#define ID_HELP_EMAIL 20709             /* "Send an &Email" */
#define ID_HELP_TIPS 25003              /* "&Tip of the Day..." */

/* ---- Strings ---------------------------------------------------------- */
#define IDS_PRODUCT_NAME 1              /* "Quillmere", caption of every message box */
#define IDS_WINDOW_TITLE 2              /* "%1 - [%2, %3]" */
#define IDS_WINDOW_MENU_ITEM 3          /* "%1, %2" */
#define IDS_NO_FILE 4                   /* "<no file>" */
#define IDS_NO_FOLDER 5                 /* "<no folder>" */
#define IDS_NO_TEXT_WINDOWS 6           /* "(no text windows)" */
#define IDS_NO_FOLDER_WINDOWS 7         /* "(no folder windows)" */
#define IDS_RECENT_PAIR 8               /* "%1 <---> %2" */
#define IDS_FILTER_ALL_FILES 16         /* "All Files (*.*)|*.*||" */
#define IDS_FILTER_HTML 17              /* "HTML Files (*.html;*.htm)|...||" */
#define IDS_VENDOR_URL 20               /* web site opened by "Visit our &Website" */
#define IDS_VENDOR_URL_TEXT 21          /* the same as shown in the About box */
#define IDS_SUPPORT_MAIL 22             /* mailto: link of "Send an &Email" */
#define IDS_SUPPORT_MAIL_TEXT 23        /* the address as shown in the About box */
#define IDS_CHOOSE_LEFT_FILE 32
#define IDS_CHOOSE_RIGHT_FILE 33
#define IDS_CHOOSE_OLD_FOLDER 34
#define IDS_CHOOSE_NEW_FOLDER 35
#define IDS_SAVE_LEFT_FILE 36
#define IDS_SAVE_RIGHT_FILE 37
#define IDS_CHOOSE_EXPORT_FILE 38
#define IDS_OUT_OF_MEMORY 48
#define IDS_FILE_NAME_INVALID 49        /* "The file name is invalid." */
#define IDS_LEFT_NAME_INVALID 50        /* result code 3 */
#define IDS_RIGHT_NAME_INVALID 51       /* result code 4 */
#define IDS_OLD_FOLDER_INVALID 52       /* result code 9 */
#define IDS_NEW_FOLDER_INVALID 53       /* result code 10 */
#define IDS_LEFT_NOT_LOADED 54          /* result code 7, "%1" the system's reason */
#define IDS_RIGHT_NOT_LOADED 55         /* result code 8 */
#define IDS_OLD_NOT_FOLDER 56           /* result code 11 */
#define IDS_NEW_NOT_FOLDER 57           /* result code 12 */
#define IDS_LEFT_BINARY 58              /* result code 5 */
#define IDS_RIGHT_BINARY 59             /* result code 6 */
#define IDS_SAVE_FAILED 60              /* "Could not save the file.\n\nReason: %1" */
#define IDS_SHELL_OPEN_FAILED 61        /* "Could not open the file in Explorer.\n\nReason: %1" */
#define IDS_EXPORT_FAILED 62            /* "Could not export comparison results.\n\nReason: %1" */
#define IDS_PROPERTIES_FAILED 63        /* "Could not open the properties window.\n\nReason: %1" */
#define IDS_TARGET_IS_OPEN 64           /* a save or export target is a compared file */
#define IDS_CHANGED_ON_DISK 65          /* the side's file was written by someone else */
#define IDS_NOT_DISK_FILE 66            /* reason: a device or pipe, not a file */
#define IDS_SIDE_NOT_LOADED 67          /* nothing loaded on the side to save */
#define IDS_CONFIRM_OVERWRITE 68        /* an export target exists */
#define IDS_OLD_FOLDER_UNREADABLE 69    /* result code 13, "%1" the system's reason */
#define IDS_NEW_FOLDER_UNREADABLE 70    /* result code 14 */
#define IDS_STATUS_HELP 80              /* "Press F1 for help" */
#define IDS_STATUS_FORMATS 81           /* "%1, %2" */
#define IDS_STATUS_DIFFS 82             /* "Diffs: %1!ld!, Lines: %2!ld!" */
#define IDS_STATUS_NO_DIFFS 83          /* "No differences" */
#define IDS_STATUS_CARET 84             /* "Virt %1!ld!, Ln %2!ld!, Col %3!ld!" */
#define IDS_SAVE_CHANGES 96             /* "Save changes to %1?" */
#define IDS_FOLDERS_IDENTICAL 97
#define IDS_FILES_IDENTICAL 98
#define IDS_NOT_FOUND 99                /* "Search text not found." */
#define IDS_COMMAND_LINE_HELP 100
#define IDS_PATH_NOT_FOUND 101          /* "Could not find the file or folder:\n%1" */
#define IDS_CONFIRM_REPLACE 102
#define IDS_ABORTED 103                 /* "Operation aborted." */
#define IDS_DATE_TIME 112               /* "%1, %2" */
#define IDS_PAGE_OF 113                 /* "Page %1!ld! of %2!ld!" */
#define IDS_PRINT_HEADER 114            /* "%1, %2" */
#define IDS_PRINT_FAILED 115            /* "Could not print the comparison.\n\nReason: %1" */
#define IDS_OLD_FOLDER_LABEL 128        /* "Old Folder:" */
#define IDS_NEW_FOLDER_LABEL 129        /* "New Folder:" */
#define IDS_PROGRESS_DELETING 130       /* "Deleting files..." */
#define IDS_PROGRESS_SAVING_UNDO 131    /* "Saving undo information..." */
#define IDS_PROGRESS_UNDOING 132        /* "Performing undo..." */
#define IDS_PROGRESS_COPYING 133        /* "Copying files..." */
#define IDS_TAB_OLD 134                 /* "Old" */
#define IDS_TAB_OLD_COUNT 135           /* "Old (%1!ld!)" */
#define IDS_TAB_NEW 136
#define IDS_TAB_NEW_COUNT 137
#define IDS_TAB_CHANGED 138
#define IDS_TAB_CHANGED_COUNT 139
#define IDS_TAB_SAME 140
#define IDS_TAB_SAME_COUNT 141
#define IDS_QUICKBAR_TEXT 142           /* "Recent comparisons:" */
#define IDS_QUICKBAR_FOLDER 143         /* "Recent:" */
#define IDS_WORD_HIDDEN 144
#define IDS_WORD_WAS_HIDDEN 145
#define IDS_WORD_READONLY 146
#define IDS_WORD_WAS_READONLY 147
#define IDS_WORD_LARGER 148
#define IDS_WORD_SMALLER 149
#define IDS_WORD_NEWER 150
#define IDS_WORD_OLDER 151
#define IDS_WORD_CONTENTS 152
#define IDS_WORD_UNREADABLE 153       /* "unreadable": the pair could not be compared */
#define IDS_MENU_COPY_TO_OLD 160        /* "&Copy to old" */
#define IDS_MENU_COPY_TO_NEW 161        /* "C&opy to new" */
#define IDS_MENU_DELETE_OLD 162         /* "&Delete old" */
#define IDS_MENU_DELETE_NEW 163         /* "D&elete new" */
#define IDS_MENU_COMPARE 164            /* "Co&mpare..." */
#define IDS_MENU_UNDO_NAMED 165         /* "&Undo %1" */
#define IDS_MENU_UNDO 166               /* "&Undo" */
#define IDS_MENU_OPEN_IN_APP 167        /* "&Open in app" */
#define IDS_MENU_PROPERTIES 168         /* "&Properties" */
#define IDS_MENU_DELETE_BOTH 169        /* "Delete &both" */
#define IDS_MENU_EXPLORE 170            /* "E&xplore folder" */
#define IDS_OP_COPY_TO_OLD 176          /* "copy to old" */
#define IDS_OP_COPY_TO_NEW 177
#define IDS_OP_DELETE_OLD 178
#define IDS_OP_DELETE_NEW 179
#define IDS_OP_DELETE_BOTH 180
/* Why a folder operation stopped without a change (%1: the path). */
#define IDS_OP_SET_ASIDE_FAILED 181     /* "Could not move \"%1\" aside to replace it..." */
#define IDS_OP_NO_TEMP_NAME 182
#define IDS_OP_BACKUP_FAILED 183
#define IDS_OP_TARGET_APPEARED 184
#define IDS_OP_SAME_ITEM 185
#define IDS_OP_DEVICE_NAME 186
#define IDS_OP_SOURCE_MISSING 187
#define IDS_OP_INVALID_NAME 188
#define IDS_OP_PATH_TOO_LONG 189
#define IDS_OP_KEPT_ASIDE 190
#define IDS_PAGE_TEXT 192               /* "Text files" */
#define IDS_PAGE_FOLDERS 193            /* "Folders" */
#define IDS_PAGE_DISPLAY 194            /* "Display" */
#define IDS_PAGE_MISC 195               /* "Misc." */
#define IDS_PROGRESS_READING 1160       /* the progress dialog's stages */
#define IDS_PROGRESS_COMPARING 1161
#define IDS_PROGRESS_REFINING 1162
#define IDS_TIP_HEADER 25004            /* "Did you know..." */
#define IDS_NO_TIPS 25011               /* "(no tips found)" */

/* Tooltips of the buttons (strings with the control's id) */
#define IDS_TIP_BROWSE_LEFT IDC_BROWSE_LEFT
#define IDS_TIP_BROWSE_RIGHT IDC_BROWSE_RIGHT
#define IDS_TIP_CHOOSE_OLD IDC_CHOOSE_OLD_FOLDER   /* "Choose old folder" */
#define IDS_TIP_CHOOSE_NEW IDC_CHOOSE_NEW_FOLDER   /* "Choose new folder" */
#define IDS_TIP_GO_UP_OLD IDC_GO_UP_OLD            /* "Go up one folder" */
#define IDS_TIP_GO_UP_NEW IDC_GO_UP_NEW

#endif
