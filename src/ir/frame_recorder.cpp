#include "ir/frame_recorder.h"

namespace zapvane {

std::string frameStepLines(const std::vector<FrameStep>& steps) {
  std::string text;
  for (const FrameStep& step : steps) {
    switch (step.kind) {
      case FrameStep::stamp: text += "stamp"; break;
      case FrameStep::burst: text += "burst " + std::to_string(step.value); break;
      case FrameStep::wait: text += "wait " + std::to_string(step.value); break;
    }
    text += '\n';
  }
  return text;
}

}  // namespace zapvane
