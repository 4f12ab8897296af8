#pragma once
// The camera thread: the bridge's one caller. Every bridge call of the
// program runs there, one at a time in the order asked, so that the window
// thread never waits inside the camera and no two threads reach the bridge at
// once. It starts with the first call and ends with the program.

#include <functional>

namespace cameraThread {

// Runs call on the camera thread and waits for it, raising what it raised;
// on the camera thread itself it runs at once. The window thread waits in a
// local event loop, so its windows keep painting and answering meanwhile:
// what they leave enabled may run in between.
void Call(const std::function<void()>& call);

// Queues call for the camera thread and returns at once; it must raise nothing.
void Post(std::function<void()> call);

} // namespace cameraThread
