#include "gif_animation.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "contact_sheet.h"

namespace shots {
namespace {

// The palette: greys first, then the marks' colours.
constexpr int kGreys = 252;
constexpr QRgb kMarkColours[] = {kKeptBallColour, kClubStartColour, kClubEndColour, kLabelColour};

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored = 0;
    EGifCloseFile(gif, &ignored);
  }
};

ColorMapObject* MakePalette() {
  ColorMapObject* map = GifMakeMapObject(256, nullptr);
  if (map == nullptr) return nullptr;
  for (int i = 0; i < kGreys; ++i) {
    const auto level = static_cast<GifByteType>(i * 255 / (kGreys - 1));
    map->Colors[i] = {level, level, level};
  }
  for (int i = 0; i < 4; ++i) {
    const QRgb c = kMarkColours[i];
    map->Colors[kGreys + i] = {static_cast<GifByteType>(qRed(c)),
                               static_cast<GifByteType>(qGreen(c)),
                               static_cast<GifByteType>(qBlue(c))};
  }
  return map;
}

GifByteType PaletteIndex(QRgb pixel) {
  for (int i = 0; i < 4; ++i) {
    if ((pixel & 0xffffff) == (kMarkColours[i] & 0xffffff))
      return static_cast<GifByteType>(kGreys + i);
  }
  // Text is drawn smoothed: any other colour goes by its brightness.
  return static_cast<GifByteType>((qGray(pixel) * (kGreys - 1) + 127) / 255);
}

bool Failed(std::string* error, const char* what, int code) {
  *error =
      std::string(what) + ": " + (GifErrorString(code) ? GifErrorString(code) : "giflib error");
  return false;
}

}  // namespace

int GifDelayCentiseconds(double fps, double slowMotion) {
  if (!(fps > 0) || !(slowMotion > 0)) return 2;
  const double delay = std::round(100.0 * slowMotion / fps);
  return static_cast<int>(std::clamp(delay, 2.0, 65535.0));
}

bool WriteGifAnimation(const std::vector<QImage>& pictures, int delayCentiseconds,
                       const std::string& path, std::string* error) {
  if (pictures.empty()) {
    *error = "no pictures to animate";
    return false;
  }
  const int width = pictures.front().width(), height = pictures.front().height();
  int code = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(EGifOpenFileName(path.c_str(), false, &code));
  if (!gif) return Failed(error, ("cannot create " + path).c_str(), code);
  EGifSetGifVersion(gif.get(), true);
  ColorMapObject* palette = MakePalette();
  const int put = EGifPutScreenDesc(gif.get(), width, height, 8, 0, palette);
  GifFreeMapObject(palette);
  if (put != GIF_OK) return Failed(error, "cannot write the screen", gif->Error);

  // NETSCAPE2.0: play the shot in a loop.
  static const GifByteType kLoopName[] = "NETSCAPE2.0";
  const GifByteType loopForever[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
      EGifPutExtensionBlock(gif.get(), 11, kLoopName) != GIF_OK ||
      EGifPutExtensionBlock(gif.get(), 3, loopForever) != GIF_OK ||
      EGifPutExtensionTrailer(gif.get()) != GIF_OK) {
    return Failed(error, "cannot write the loop", gif->Error);
  }

  std::vector<GifByteType> row(static_cast<size_t>(width));
  for (const QImage& source : pictures) {
    if (source.width() != width || source.height() != height) {
      *error = "pictures of different sizes";
      return false;
    }
    const QImage picture = source.convertToFormat(QImage::Format_RGB32);
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delayCentiseconds;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
            GIF_OK ||
        EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) != GIF_OK) {
      return Failed(error, "cannot write a frame", gif->Error);
    }
    for (int y = 0; y < height; ++y) {
      const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
      for (int x = 0; x < width; ++x) row[static_cast<size_t>(x)] = PaletteIndex(pixels[x]);
      if (EGifPutLine(gif.get(), row.data(), width) != GIF_OK) {
        return Failed(error, "cannot write a frame", gif->Error);
      }
    }
  }
  GifFileType* closing = gif.release();
  if (EGifCloseFile(closing, &code) != GIF_OK) return Failed(error, "cannot finish the file", code);
  return true;
}

}  // namespace shots
