#include "testing/transcript.h"

#include <string_view>

namespace hilo {

std::string TranscriptCase::Input() const {
  std::string input;
  for (const std::string_view line : lines) input += line;
  return input;
}

const std::vector<TranscriptCase>& Transcripts() {
  using namespace std::string_view_literals;
  // The table the build writes from the files, so that one grammar reads them for every suite.
  static const std::vector<TranscriptCase> cases = {
#include "transcripts.inc"
  };
  return cases;
}

}  // namespace hilo
