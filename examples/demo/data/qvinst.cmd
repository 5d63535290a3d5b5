// Named command sections of the Velmora demo.
[INST_END_CMD]

[UNINST_END_CMD]

[REINST_END_CMD]

// Copied by the copy-files page besides the items' own directories.
[COPY_FILE_INFO]
COPY_README

[COPY_README]
DESCRIPTION = Read-me file
SOURCE = $SRC_DIR$\Readme
DESTINATION = $DEST_DIR$\Readme
COPY_SUBDIR = 0

[COPY_README.VISTA64]
DESCRIPTION = Read-me file (64-bit)
SOURCE = $SRC_DIR$\Readme
DESTINATION = $DEST_DIR$\Readme
COPY_SUBDIR = 0
DELETE = 1

[SHORTCUT_USER_GUIDE]
NAME = LX-200 User's Guide
TARGET = $DEST_INST_DIR$\Manual\English\guide.htm
FOLDER_NAME = Velmora LX-200
DESCRIPTION = The printer's manual

[SHORTCUT_README]
NAME = Read Me
TARGET = "$DEST_DIR$\Readme\readme.txt"
FOLDER_NAME = Velmora LX-200
GROUP = DESKTOP
