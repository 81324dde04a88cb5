// Identifiers of the program's resources, shared by the resource script and the code.
#pragma once

#define IDI_TARVELIN 1

// Button and dialog images, each an icon with the sizes 32, 40, 48 and 64 px.
#define IDI_BTN_GENERATE 101
#define IDI_BTN_EXIT 102
#define IDI_BTN_ABOUT 103
#define IDI_BTN_GENFILE 104
#define IDI_BTN_FOLDER 105
#define IDI_BTN_CHECK_GREEN 106
