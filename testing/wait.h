#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <string_view>

// Waiting for what a game writes. Every wait ends as soon as its answer is known: the text came,
// what came departs from it, the game ended, or it waits for input with nothing more to write.
// Only a game that hangs meets the generous bound.
namespace hilo::e2e {

// Reads fd, where process pid writes, onto screen until screen begins with expected; a failure
// shows expected and received where they part.
testing::AssertionResult AwaitScreen(int fd, pid_t pid, std::string& screen,
                                     std::string_view expected);

// As AwaitScreen, for a screen known only by its end: until screen holds marker.
testing::AssertionResult AwaitMarker(int fd, pid_t pid, std::string& screen,
                                     std::string_view marker);

}  // namespace hilo::e2e
