#include "shell/input.h"

#include <allegro.h>

#include "cave/platform.h"
#include "screen/grafika.h"

uint8_t inpmouse, inpjoystick;
int32_t MX, MY, LX, LY;
int32_t mstavx, mstavy;

bool held(Klic k) {
  switch (k) {
    case KL_UP: return key[KEY_UP] || key[KEY_8_PAD];
    case KL_DOWN: return key[KEY_DOWN] || key[KEY_2_PAD];
    case KL_LEFT: return key[KEY_LEFT] || key[KEY_4_PAD];
    case KL_RIGHT: return key[KEY_RIGHT] || key[KEY_6_PAD];
    case KL_KILL: return key[KEY_TILDE];
    case KL_F11: return key[KEY_F11];
    case KL_F12: return key[KEY_F12];
    case KL_ESC: return key[KEY_ESC];
    default: return false;
  }
}

void mstav() {
  mstavx = 0;
  mstavy = 0;
  if (inpmouse == 1) {
    MX = mouse_x;
    MY = mouse_y;
    // In the picture's pixels: at scale k the mouse goes k times as far.
    mstavx = (MX - LX) / ScrK;
    mstavy = (MY - LY) / ScrK;
    LY = MY;
    LX = MX;
  }
  if (inpjoystick == 1) {
    poll_joystick();
    const JOYSTICK_AXIS_INFO* axis = joy[0].stick[0].axis;
    if (axis[0].d1) mstavx = -2;
    if (axis[0].d2) mstavx = 2;
    if (axis[1].d1) mstavy = -2;
    if (axis[1].d2) mstavy = 2;
  }
}
