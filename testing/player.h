#pragma once

// The in-process transcript player: every hand-written game of game/transcripts, played through a
// fake port and a scripted clock, each as a test of its own.
namespace hilo {

// Registers a test for every transcript, named transcripts/in_process.<name>. Called before the
// tests run.
void RegisterTranscriptTests();

}  // namespace hilo
