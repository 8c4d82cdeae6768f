// The rules of a running cave: the player's step and the cave tick.
#pragma once

// One player step in direction (`xk`, `yk`): push, walk or dig, enter an open
// exit, collect a diamond; the four rules run in this order on every call, so
// one call can chain them.
void krok();

// One tick of the cave: creatures, the bottom-up scan, water.
void pohyb();
