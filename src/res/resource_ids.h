// Ids of the resources embedded in the program: read by the resource scripts
// and by the code that loads them, so both name the same numbers.
#pragma once

#define IDI_APP_ICON 107
#define IDI_APP_ICON_SMALL 108

#define IDR_PNG_BACKGROUND 201
#define IDR_PNG_LOGO 202
#define IDR_PNG_PAYICON 203
#define IDR_PNG_SUPPORT 204
