#pragma once

#include "Ring/RingController.h"
#include "Ring/RingGlassStyle.h"
#include "Ring/RingServices.h"

#include <QtGlobal>
#include <QString>

#include <array>
#include <optional>

namespace Quickhalo {

class SliceBadgeProvider;

// Everything the ring shows, decided from the models and nothing else, so that the painter only
// paints and the view repaints exactly when this value changes.
struct RingScene {
    struct Slot {
        bool isFilled = false;
        bool isHighlighted = false;
        QString symbol;
        std::optional<quint32> symbolColour; // 0xAARRGGBB from a badge provider; else white
        std::optional<QString> badge;
        bool isVolume = false; // draws the level arc around the symbol
        bool operator==(const Slot&) const = default;
    };

    enum class Centre { hub, sliceTitle, volume };

    std::array<Slot, 8> slots;
    std::optional<int> highlighted;
    double tintOpacity = 0.05;
    QString artworkFile;

    float volumeLevel = 0;
    bool volumeMuted = false;
    std::optional<RingController::FlyoutState> flyout;

    Centre centre = Centre::hub;
    QString centreTitle;
    QString centreDetail;

    std::optional<NowPlayingTrack> track;
    bool canRepeat = false;
    QString repeatHelp;

    bool operator==(const RingScene&) const = default;
};

// The black tint over the ring's glass for a style, stronger when artwork shows through.
double glassTintOpacity(RingGlassStyle style, bool withArtwork);

struct RingSceneInputs {
    const RingController& controller;
    const VolumeControl& volume;
    const NowPlayingControl& nowPlaying;
    const SliceBadgeProvider& badges;
    RingGlassStyle glassStyle = RingGlassStyle::clear;
};

RingScene makeRingScene(const RingSceneInputs& inputs);

}
