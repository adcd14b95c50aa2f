/* VarnokV2: the camera component's C interface.
 *
 * A camera is addressed by the index (0 or 1) under which its model name was found. Every call
 * returns 0 on success; the sensor relies only on the results documented per function. All types
 * have fixed sizes so a vendor build and ours are interchangeable without rebuilding the sensor.
 */
#ifndef VARNOK_V2_H
#define VARNOK_V2_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(VARNOK_BUILDING_LIBRARY)
#define VARNOK_API __declspec(dllexport)
#elif defined(_WIN32)
#define VARNOK_API __declspec(dllimport)
#else
#define VARNOK_API __attribute__((visibility("default")))
#endif

/* The property record: 240 bytes, the model name first (NUL-terminated). Nothing else is read. */
#define VARNOK_PROPERTY_SIZE 240
#define VARNOK_MODEL_NAME_SIZE 64

typedef struct VarnokCameraProperty {
  char name[VARNOK_MODEL_NAME_SIZE];
  int32_t cameraId;
  int32_t maxWidth;
  int32_t maxHeight;
  int32_t isColorCam;
  uint8_t reserved[VARNOK_PROPERTY_SIZE - VARNOK_MODEL_NAME_SIZE - 4 * 4];
} VarnokCameraProperty;

/* Image format of VarnokSetROIFormat: bin 1, type 3 = one 8-bit brightness value per pixel. */
enum { VARNOK_BIN_1 = 1, VARNOK_IMG_Y8 = 3 };

/* Controls the sensor sets or reads. */
enum VarnokControl {
  VARNOK_CONTROL_GAIN = 0,
  VARNOK_CONTROL_EXPOSURE = 1,
  VARNOK_CONTROL_GAMMA = 2,
  VARNOK_CONTROL_WB_RED = 3,
  VARNOK_CONTROL_WB_BLUE = 4,
  VARNOK_CONTROL_OFFSET = 5,
  VARNOK_CONTROL_BANDWIDTH = 6,
  VARNOK_CONTROL_FLIP = 9, /* bit 0 horizontal, bit 1 vertical */
  VARNOK_CONTROL_AUTO_MAX_GAIN = 10,
  VARNOK_CONTROL_HIGH_SPEED = 14
};

enum { VARNOK_FLIP_HORIZONTAL = 1, VARNOK_FLIP_VERTICAL = 2 };

VARNOK_API int32_t VarnokGetNumOfConnectedCameras(void);
VARNOK_API int32_t VarnokGetCameraProperty(VarnokCameraProperty* property, int32_t index);
VARNOK_API int32_t VarnokOpenCamera(int32_t id);
VARNOK_API int32_t VarnokSetROIFormat(int32_t id, int32_t width, int32_t height, int32_t bin,
                                      int32_t imageType);
VARNOK_API int32_t VarnokSetStartPos(int32_t id, int32_t x, int32_t y);
VARNOK_API int32_t VarnokSetControlValue(int32_t id, int32_t control, int32_t value,
                                         int32_t autoFlag);
VARNOK_API int32_t VarnokGetControlValue(int32_t id, int32_t control, int32_t* value,
                                         int32_t* autoFlag);
VARNOK_API int32_t VarnokStartVideoCapture(int32_t id);
/* Writes the next frame (bufferSize bytes) into buffer; non-zero is a timeout or fault. */
VARNOK_API int32_t VarnokGetVideoData(int32_t id, uint8_t* buffer, int32_t bufferSize,
                                      int32_t waitMs);
VARNOK_API int32_t VarnokCloseCamera(int32_t id);

#ifdef __cplusplus
}

static_assert(sizeof(VarnokCameraProperty) == VARNOK_PROPERTY_SIZE,
              "the property record is 240 bytes");
#endif

#endif /* VARNOK_V2_H */
