#pragma once

#include <cstdint>

// The few process services the store benchmark needs, for Linux and Windows.
// Kept apart from the benchmark itself because <windows.h> clashes with the
// root key names of RootKeys.h.
namespace zanver::bench {

// The peak memory of this process in bytes: the peak resident set size on
// Linux (getrusage), the peak working set on Windows; 0 when unknown.
std::uint64_t PeakMemoryBytes();

// Starts a new peak from the memory in use now, so that each measurement sees
// only its own peak. Linux can (it first hands freed heap memory back to the
// system); Windows cannot, and there it returns false.
bool ResetPeakMemory();

// Under Wine the registry lives in the wineserver process, not in this one:
// the wineserver's peak resident set size (VmHWM) read through Wine's view of
// /proc, for the server of this process's WINEPREFIX. 0 when it cannot be
// read (not under Wine, /proc not reachable, no single matching server).
std::uint64_t WineServerPeakBytes();

}  // namespace zanver::bench
