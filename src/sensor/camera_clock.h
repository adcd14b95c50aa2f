// Free-running simulated cameras keep a pace of their own; frame rates measured on the
// machine's clock would tell how fast the simulation runs, not the cameras' rate.
#pragma once

// Takes the camera component's own time for the sensor's millisecond clock where the component
// keeps one; else says so and keeps the machine's clock.
void UseCameraClock();
