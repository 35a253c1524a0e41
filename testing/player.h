#pragma once

#include <functional>
#include <string>

#include "testing/transcript.h"

// The one transcript player: a launcher says how to start the game; every transcript is played on
// every launcher that can run it, each as a test of its own.
namespace hilo {

// A way to start the game and hold it to a transcript.
struct Launcher {
  std::string name;            // as the tests are named: transcripts/<name>.<transcript>
  bool scripts_clock = false;  // it plays any clock; else only transcripts whose clock stands still
  std::function<void(const TranscriptCase&)> play;  // plays one, failing the test on a difference
};

// Registers a test for every transcript that launcher can run. Called before the tests run.
void RegisterTranscriptTests(const Launcher& launcher);

// Registers the test of one transcript on launcher.
void RegisterTranscriptTest(const Launcher& launcher, const TranscriptCase& c);

// In this process, through a fake port and a scripted clock: any clock, and the reads and the key
// wait seen from inside.
Launcher InProcess();

}  // namespace hilo
