// Frame pacing: a loop whose swap does not wait for the screen (no vsync, a
// software renderer) would draw as fast as it can and hold a core for frames
// no one sees. pace_frame, called once per frame, sleeps what is left of one
// refresh period since the previous call; a swap that waits leaves nothing
// to sleep, so it costs nothing there.
#pragma once

// Sleeps until one period has passed since the last return (at once the first time).
void pace_frame();
