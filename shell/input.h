// Mouse and joystick steering, switched on in the setup menu.
#pragma once

#include <cstdint>

extern uint8_t inpmouse, inpjoystick;
extern int32_t MX, MY;  // mouse position of this reading
extern int32_t LX, LY;  // mouse position of the previous reading
