// The key that switches recording on also redraws, so frame 0 comes at once.
#include "support/recording_session.h"

namespace e2e {

::testing::AssertionResult RecordingSessionTest::startRecording(const std::string& binary, TgaImage& first) {
  const ::testing::AssertionResult dir = createFrameDir();
  if (!dir) return dir;
  const ::testing::AssertionResult launched = launch(binary);
  if (!launched) return launched;
  return keyRecords(XK_s, 0, first);
}

}  // namespace e2e
