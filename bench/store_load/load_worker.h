#pragma once
#include <QString>

// One process of the load. role is "controller" (slot 1 to 4), "dialer" or
// "watcher"; it runs its ticks (speed times as often as the programs do)
// for the given time, then prints its figures
// to standard output in the form the parent reads (see main.cpp):
//   lat read|write|take <microseconds> ...
//   busy <count>
//   cpu <user+system seconds> <wall seconds>
//   taken <slot> <sequence numbers ...>     (controllers)
//   written <slot> <highest sequence number> (dialer)
int run_worker(const QString& role, int slot, int seconds, int speed = 1);
