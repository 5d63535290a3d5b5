// Copy and shortcut sections of the collection tests.
[COPY_FILE_INFO]
 COPY_PLAIN
COPY_VARIANT

// No DELETE and no COPY_SUBDIR.
[COPY_PLAIN]
DESCRIPTION = Plain files
SOURCE = $SRC_DIR$\Plain
DESTINATION = $DEST_DIR$\Plain

[COPY_VARIANT]
SOURCE = $SRC_DIR$\Any

[COPY_VARIANT.WIN7]
DESCRIPTION = Windows 7 files
SOURCE = $SRC_DIR$\Win7
DESTINATION = $DEST_DIR$\Win7
COPY_SUBDIR = 0
DELETE = 0

[SC_FULL]
NAME = Velmora Utility
TARGET = $DEST_DIR$\Tools\util.exe
START_IN = $DEST_DIR$
ARGUMENT = /start
ICON_FILE = $DEST_DIR$\Tools\util.ico
FOLDER_NAME = Velmora
ICON_INDEX = 2
PERMISSION = 1
GROUP = desktop
DESCRIPTION = Starts the utility
DELETE = 0

[SC_NONAME]
TARGET = $DEST_DIR$\nothing.exe

[SC_DEFAULTS]
NAME = Read Me
TARGET =  "$DEST_DIR$\Docs\readme.txt"
GROUP = PROGRAMS
