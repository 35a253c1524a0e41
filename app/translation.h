#pragma once

#include "game/translated_texts.h"

namespace hilo {

// The translation of the game's texts that the player's locale asks for, as the platform finds it;
// the game's own Japanese when there is none, or when a catalog it might read is not whole. Sets
// what the locale's messages category needs of the environment, once, at start-up.
Translate PlayersTranslation();

}  // namespace hilo
