// End-to-end sessions that record from the start: the frame directory made, the program
// launched and s typed, frame 0 the start-up picture.
#pragma once

#include <string>

#include "support/x_session.h"

namespace e2e {

class RecordingSessionTest : public AppSessionTest {
 protected:
  // Creates the frame directory, launches binary, types s and reads frame 0 into first;
  // the first step that fails says why.
  ::testing::AssertionResult startRecording(const std::string& binary, TgaImage& first);
};

}  // namespace e2e
