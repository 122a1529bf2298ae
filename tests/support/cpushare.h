#pragma once
// How much of one core this process uses while events run: to tell a program that sleeps
// between events from one that spins. A share, not a speed: 1.0 is one core kept busy.

namespace testsupport {

// Lets events run for `ms` and returns the processor time used meanwhile, as a share of `ms`.
double coreShareWhileIdle(int ms);

// The processor time this process has used so far, in seconds (user and system).
double processorSeconds();

// The resident memory of this process, in bytes.
long long residentBytes();

}  // namespace testsupport
