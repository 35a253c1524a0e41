#include "app/translation.h"

namespace hilo {

// The Windows game is Japanese only: its texts are the code page 932 bytes it was built with.
Translate PlayersTranslation() { return Untranslated; }

}  // namespace hilo
