// The opening text screen and the title, game-over and completion screens.
#pragma once

void opening_text();  // writes it into the text area; the caller draws it
void titobr();        // returns once ESC, ENTER or SPACE is held

// The title screen's text, written in its two steps.
void title_top();
void title_prompt();
void gameover();
void prosel();
