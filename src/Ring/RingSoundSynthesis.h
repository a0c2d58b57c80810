#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "Ring/RingServices.h"

namespace Quickhalo::RingSoundSynthesis {

inline constexpr int sampleRate = 44100;

// A fresh uniformly distributed value in [-1, 1] per call; injected so that tests are repeatable.
using Noise = std::function<double()>;

// Noise from a generator seeded once from the system's entropy.
Noise randomNoise();

// Mono samples at `sampleRate`, computed in double precision and stored as float.
std::vector<float> whoosh(const Noise& noise); // open: 7,938 frames
std::vector<float> tick(const Noise& noise); // 1,543 frames
std::vector<float> confirm(); // select: 5,292 frames, a rising two-note chime

std::size_t frameCount(RingSound sound);
std::vector<float> synthesise(RingSound sound, const Noise& noise);

}
