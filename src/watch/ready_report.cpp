// Readiness of the camera pair. Each camera runs these every frame on its own capture thread and
// reads and writes the peer's ready flag, ball state and counters without a lock; a report
// decided on a stale value is put right on the next frame, since both run every frame.
#include "camera/main_camera.h"
#include "clientlink/client_link.h"
#include "platform/debug_output.h"

namespace {

void ForgetBall(WatchState& w) {
  w.m_readyReported = 0;
  w.m_ballState = BALL_EMPTY;
  w.m_foundCount = 0;
  w.m_lostCount = 0;
}

}  // namespace

void CMainCamera::NotifyReady() {
  WatchState& w = m_watch;
  if (w.m_readyReported == 1) return;
  w.m_readyReported = 1;
  // Only the main camera talks to the client, and only once its peer agrees.
  if (SensorType != SENSOR_MAIN || m_peer == nullptr) return;

  WatchState& peer = m_peer->m_watch;
  if (peer.m_readyReported != 1) {
    w.m_readyReported = 0;  // ask again next frame
    platform::OutputDebugStringA("-> Top Main - Ready <-\n");
    return;
  }
  const int32_t clubType = m_clubType;
  if (m_peer->m_clubType == clubType) {
    clientlink::PostToClient(clientlink::CODE_BALL_READY, clubType);
    platform::OutputDebugStringA("-> Top Main/Side - Ready <-\n");
    return;
  }
  // The two cameras placed the ball in different club areas: look for it again on both.
  ForgetBall(w);
  ForgetBall(peer);
  platform::OutputDebugStringA("-> 클럽잡힌 영역이 틀려서 다시 볼을 찾는다. <-\n");
}

void CMainCamera::NotifyNotReady() {
  WatchState& w = m_watch;
  if (w.m_readyReported == 0) return;
  w.m_readyReported = 0;

  if (m_clubType == CLUB_PUTTER) {
    // Either camera may have been the only one ready; the last to give up tells the client.
    const bool gameCamera = SensorType == SENSOR_MAIN || SensorType == SENSOR_SIDE;
    if (gameCamera && m_peer != nullptr && m_peer->m_watch.m_readyReported == 0) {
      clientlink::PostToClient(clientlink::CODE_BALL_NOT_READY, 0);
    }
    return;
  }
  if (SensorType == SENSOR_SIDE) {
    // The main camera withdraws the readiness it reported once it sees its own state drop.
    if (m_peer != nullptr && m_peer->m_watch.m_ballState != BALL_EMPTY) {
      m_peer->m_watch.m_ballState = BALL_EMPTY;
    }
    return;
  }
  if (SensorType == SENSOR_MAIN) clientlink::PostToClient(clientlink::CODE_BALL_NOT_READY, 0);
}
