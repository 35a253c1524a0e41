// Plays every hand-written transcript in-process and holds the game to it byte for byte.

#include "testing/player.h"

namespace hilo {
namespace {

[[maybe_unused]] const bool kRegistered = (RegisterTranscriptTests(), true);

}  // namespace
}  // namespace hilo
