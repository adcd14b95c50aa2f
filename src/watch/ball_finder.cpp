// The ball finder and the tests built on the bright-pixel count. All run on the camera's capture
// thread and allocate nothing: boxes live on the stack.
#include <algorithm>
#include <cstdint>

#include "camera/main_camera.h"
#include "watch/bright_count.h"

namespace {

constexpr int32_t kScanStep = 4;       // the finder looks on a 4-pixel grid
constexpr int32_t kTriggerWidth = 60;  // strip in front of the ball that the strike lights up
constexpr int32_t kTriggerHeight = 40;
constexpr int32_t kTriggerAbove = 44;
constexpr int32_t kBallCheckMargin = 40;  // side margins of the analysis search region
constexpr int32_t kBallCheckTop = 64;
constexpr int32_t kBallCheckTopBunker = 52;
constexpr int32_t kCentredRowAboveBottom = 80;  // where centring the window puts the ball
constexpr int32_t kCentredRowAboveBottomBunker = 30;

bool UsesDriverExclusion(int32_t clubType) {
  return clubType >= CLUB_IRON && clubType <= CLUB_BUNKER;
}

int32_t SaturateToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

CRectT TriggerStripFor(const CRectT& blob) {
  return MakeRect(blob.m_x + blob.m_width / 2 - kTriggerWidth / 2, blob.m_y - kTriggerAbove,
                  kTriggerWidth, kTriggerHeight);
}

}  // namespace

CRectT CMainCamera::GetClubArea(int32_t clubType) const {
  if (clubType == kCurrentClub) clubType = m_clubType;
  const bool shifted = m_windowMoved;
  switch (clubType) {
    case CLUB_DRIVER:
      return shifted ? m_areas.driverAreaShifted : m_areas.driverArea;
    case CLUB_IRON:
      return shifted ? m_areas.ironAreaShifted : m_areas.ironArea;
    case CLUB_ROUGH:
      return shifted ? m_areas.ironAreaShifted_Rough : m_areas.ironArea_Rough;
    case CLUB_BUNKER:
      return shifted ? m_areas.ironAreaShifted_Bunker : m_areas.ironArea_Bunker;
    default:
      return shifted ? m_areas.putterAreaShifted : m_areas.putterArea;
  }
}

bool CMainCamera::IsBallAt(const CRectT* rect, int32_t halfHeight, int32_t halfWidth,
                           const uint8_t* image) const {
  const CRectT& ball = rect != nullptr ? *rect : m_foundBallArea;
  if (image == nullptr) image = LiveFrame();
  // The centre row is taken from the width too: the blob's height is the core box height, its
  // width follows the refined edges, so the width is the better estimate of the ball's size.
  const int32_t cx = ball.m_x + ball.m_width / 2;
  const int32_t cy = ball.m_y + ball.m_width / 2;
  const CRectT box = MakeRect(cx - halfWidth, cy - halfHeight, 2 * halfWidth, 2 * halfHeight);
  return IsBoxFilled(box, image, FrameWidth(), FrameHeight(), m_whiteNum.m_presentLevel,
                     m_whiteNum.m_presentPercent);
}

bool CMainCamera::IsTriggered(CRectT* rect, int32_t clubType) {
  CRectT& box = rect != nullptr ? *rect : m_triggerArea;
  ClampToImage(box, FrameWidth(), FrameHeight());
  const bool bunker = clubType == CLUB_BUNKER;
  const int32_t level = bunker ? m_whiteNum.m_triggerLevelBunker : m_whiteNum.m_triggerLevel;
  const int32_t percent = bunker ? m_whiteNum.m_triggerPercentBunker : m_whiteNum.m_triggerPercent;
  return IsBoxFilled(box, LiveFrame(), FrameWidth(), FrameHeight(), level, percent);
}

bool CMainCamera::PassesBlobTests(int32_t x, int32_t y, const uint8_t* image, CRectT& blob) const {
  const CWhiteNum& t = m_whiteNum;
  const int32_t W = FrameWidth();
  const int32_t H = FrameHeight();

  CRectT core = MakeRect(x, y, t.m_ballBoxWidth, t.m_ballBoxHeight);
  ClampToImage(core, W, H);
  if (!IsBoxFilled(core, image, W, H, t.m_ballLevel, t.m_ballPercent)) return false;
  blob = core;
  // Sand is bright around the ball, so in the bunker a filled core is enough.
  if (m_clubType == CLUB_BUNKER) return true;

  // A lone ball has dark mat beside and above it; nothing below is tested (the club comes from
  // there). Right, left, above, in that order.
  const int32_t size = t.m_ballSizeX;
  const int32_t tall = t.m_ballSizeY + t.m_ballSizeY / 2;
  const CRectT neighbours[] = {
      MakeRect(x + t.m_ballSizeX, y, size, tall),
      MakeRect(x - t.m_ballSizeX, y, size, tall),
      MakeRect(x, y - t.m_ballSizeY, t.m_ballSizeX, t.m_ballSizeY),
  };
  for (const CRectT& box : neighbours) {
    if (IsBoxFilled(box, image, W, H, t.m_aroundLevel, t.m_aroundPercent)) return false;
  }
  RefineBlobEdges(image, blob);
  return true;
}

void CMainCamera::RefineBlobEdges(const uint8_t* image, CRectT& blob) const {
  const CWhiteNum& t = m_whiteNum;
  const int32_t W = FrameWidth();
  const int32_t H = FrameHeight();
  const int32_t probeY = blob.m_y + t.m_edgeOffsetY;
  const int32_t darkBelow = t.m_ballBoxHeight * t.m_edgePercent * 2 / 100;
  const auto isDark = [&](int32_t px) {
    CRectT probe = MakeRect(px, probeY, 2, 10);
    ClampToImage(probe, W, H);
    return CountWhite(probe, W, image, t.m_edgeLevel, H) < darkBelow;
  };

  const int32_t x = blob.m_x;
  for (int32_t px = x + t.m_ballBoxWidth / 3; px > x - t.m_ballSizeX; px -= kScanStep) {
    if (!isDark(px)) continue;
    const int32_t d = x - px;
    if (d > 0 && d < t.m_ballSizeX / 3) blob.m_x = px;
    break;
  }

  const int32_t left = blob.m_x;
  for (int32_t px = left + t.m_ballBoxWidth / 3; px < left + 2 * t.m_ballSizeX; px += kScanStep) {
    if (!isDark(px)) continue;
    const int32_t d = px - left;
    if (d > 0 && d < t.m_ballSizeX + t.m_ballSizeX / 3) blob.m_width = d;
    break;
  }
}

bool CMainCamera::ScanForBlob(const CRectT& search, int32_t exclusionType, const uint8_t* image,
                              CRectT& blob) const {
  const bool exclude = UsesDriverExclusion(exclusionType);
  // The tee grown by a ball on its left and top. Its edges are sums of configured values, taken
  // in 64 bits so that no area, wherever it was put, wraps them.
  const CRectT driver = GetClubArea(CLUB_DRIVER);
  const int64_t teeLeft = int64_t{driver.m_x} - m_whiteNum.m_ballSizeX;
  const int64_t teeRight = int64_t{driver.m_x} + driver.m_width;
  const int64_t teeTop = int64_t{driver.m_y} - m_whiteNum.m_ballSizeY;
  const int64_t teeBottom = int64_t{driver.m_y} + driver.m_height;
  const int64_t bottom = int64_t{search.m_y} + search.m_height;
  const int64_t right = int64_t{search.m_x} + search.m_width;

  for (int32_t y = search.m_y; y < bottom; y += kScanStep) {
    for (int32_t x = search.m_x; x < right; x += kScanStep) {
      // A ball on the tee must never be taken for a ball in another area that overlaps it.
      if (exclude && teeLeft <= x && x <= teeRight && teeTop <= y && y <= teeBottom) continue;
      if (PassesBlobTests(x, y, image, blob)) return true;
    }
  }
  return false;
}

void CMainCamera::SetBallCheckArea(const CRectT& blob) {
  const CWhiteNum& t = m_whiteNum;
  const int32_t W = FrameWidth();
  const bool gameCamera = SensorType == SENSOR_MAIN || SensorType == SENSOR_SIDE;
  const int32_t margin = gameCamera ? kBallCheckMargin : 0;
  const int32_t clubType = m_clubType;
  const int32_t top = !gameCamera               ? 0
                      : clubType == CLUB_BUNKER ? kBallCheckTopBunker
                                                : kBallCheckTop;

  CRectT area;
  switch (clubType) {
    case CLUB_PUTTER:
      area = MakeRect(blob.m_x + t.m_ballBoxWidth / 2 - t.m_putterCheckWidth / 2,
                      blob.m_y - t.m_putterCheckHeight - 4, t.m_putterCheckWidth,
                      t.m_putterCheckHeight);
      break;
    case CLUB_BUNKER: {
      // Down to a ball's height above the bunker's top edge. That edge is configured, so the
      // difference is taken wide and saturated: an area far off the frame only gives a height
      // that the clamp below cuts to the frame.
      const int64_t height = int64_t{GetClubArea(CLUB_BUNKER).m_y} - t.m_ballSizeY - top;
      area = MakeRect(margin, top, W - 2 * margin, SaturateToInt32(height));
      break;
    }
    case CLUB_IRON:
    case CLUB_ROUGH:
      area = MakeRect(margin, top, W - 2 * margin, blob.m_y - top - 4);
      break;
    default:
      area = MakeRect(margin, 0, W - 2 * margin, blob.m_y - 4);
      break;
  }
  m_ballCheckArea = ClampToImage(area, W, FrameHeight());
}

void CMainCamera::ClearWatchResults() {
  m_foundBallArea = CRectT{};
  m_triggerArea = CRectT{};
  m_ballCheckArea = CRectT{};
}

bool CMainCamera::FindBall(const CRectT* searchRect, const uint8_t* image, CRectT* outRect) {
  if (image == nullptr) image = LiveFrame();
  const int32_t W = FrameWidth();
  const int32_t H = FrameHeight();
  const auto fail = [&] {
    // The watch's form forgets its last ball; the analysis' form keeps what it has.
    if (searchRect == nullptr) ClearWatchResults();
    return false;
  };

  CRectT search = searchRect != nullptr ? *searchRect : GetClubArea(m_clubType);
  ClampToImage(search, W, H);
  if (search.m_width < m_whiteNum.m_ballSizeX / 2 || search.m_height < m_whiteNum.m_ballSizeY / 2) {
    return fail();
  }

  CRectT blob;
  if (!ScanForBlob(search, m_clubType, image, blob)) return fail();

  if (outRect != nullptr) {
    *outRect = blob;
    return true;
  }

  const int32_t clubType = m_clubType;
  if (m_windowMoved) {
    // After centring, the ball must be where centring put it, or this is some other blob.
    const int32_t row =
        H - (clubType == CLUB_BUNKER ? kCentredRowAboveBottomBunker : kCentredRowAboveBottom);
    const int32_t slack = m_whiteNum.m_ballSizeX;
    const bool inColumn = W / 2 - slack <= blob.m_x && blob.m_x <= W / 2 + slack;
    const bool inRow = row - slack <= blob.m_y && blob.m_y <= row + slack;
    if (!inColumn || !inRow) return fail();
  }

  m_foundBallArea = blob;
  SetBallCheckArea(blob);
  CRectT trigger = TriggerStripFor(blob);
  m_triggerArea = ClampToImage(trigger, W, H);
  // Something bright already lies in the ball's path: not a ball we can watch.
  if (IsTriggered(nullptr, clubType)) return fail();
  return true;
}

bool CMainCamera::AreaHasBall(int32_t clubType) {
  const int32_t W = FrameWidth();
  const int32_t H = FrameHeight();
  const uint8_t* image = LiveFrame();
  const CWhiteNum& t = m_whiteNum;

  CRectT area = GetClubArea(clubType);
  ClampToImage(area, W, H);
  if (area.m_width < t.m_ballSizeX / 2 || area.m_height < t.m_ballSizeY / 2) return false;

  // More than about three balls' worth of bright pixels: sunlight or a reflection, not a ball.
  const int32_t tooBright = 3 * (t.m_ballSizeX * t.m_ballSizeY * t.m_ballPercent / 100);
  if (CountWhite(area, W, image, t.m_ballLevel, H) > tooBright) return false;

  CRectT blob;
  if (!ScanForBlob(area, clubType, image, blob)) return false;
  CRectT strip = TriggerStripFor(blob);
  ClampToImage(strip, W, H);
  return !IsTriggered(&strip, clubType);
}
