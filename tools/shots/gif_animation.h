// Writes pictures as an animated GIF through giflib (Qt reads GIF but cannot write it).
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace shots {

// The GIF delay of a camera frame shown slowed down by the factor: frames come every 1 / fps s;
// GIF counts in hundredths, at least 2 (viewers show shorter delays as slow ones).
int GifDelayCentiseconds(double fps, double slowMotion);

// Every picture must have the size of the first. Greys keep their level (to 1/252); the marks'
// colours keep theirs. False with the reason in *error.
bool WriteGifAnimation(const std::vector<QImage>& pictures, int delayCentiseconds,
                       const std::string& path, std::string* error);

}  // namespace shots
