// Death and respawn of the ball.
#pragma once

// Blows up the ball, sets it down again above the respawn point and takes a life and 100 points.
// Returns after the explosion (about 3 seconds); when the lives fall below 0, only after the
// "Game Over" screen has been closed with a key, with the return-to-menu request set.
void KillPlayer();
