#include "Ring/RingScene.h"

#include "Ring/SliceBadgeProvider.h"
#include "Ring/VolumeArc.h"

namespace Quickhalo {

double glassTintOpacity(RingGlassStyle style, bool withArtwork)
{
    switch (style) {
    case RingGlassStyle::clear: return withArtwork ? 0.15 : 0.05;
    case RingGlassStyle::light: return withArtwork ? 0.25 : 0.15;
    case RingGlassStyle::dark: return withArtwork ? 0.45 : 0.35;
    }
    return 0.05;
}

RingScene makeRingScene(const RingSceneInputs& inputs)
{
    const RingController& controller = inputs.controller;
    RingScene scene;
    scene.highlighted = controller.highlighted();
    scene.flyout = controller.flyout();
    scene.volumeLevel = inputs.volume.level();
    scene.volumeMuted = inputs.volume.isMuted();
    scene.track = inputs.nowPlaying.track();
    scene.artworkFile = scene.track ? scene.track->artworkFile : QString();
    scene.tintOpacity = glassTintOpacity(inputs.glassStyle, !scene.artworkFile.isEmpty());

    const auto& slices = controller.currentSlices();
    const ActionKind volumeKind = Actions::Builtin { BuiltinTool::volume };
    for (std::size_t i = 0; i < scene.slots.size(); ++i) {
        RingScene::Slot& slot = scene.slots[i];
        slot.isHighlighted = scene.highlighted == static_cast<int>(i);
        const auto& slice = slices[i];
        if (!slice)
            continue;
        slot.isFilled = true;
        slot.isVolume = slice->kind == volumeKind;
        slot.badge = inputs.badges.badge(*slice);
        if (const auto replacement = inputs.badges.symbolOverride(*slice)) {
            slot.symbol = replacement->symbol;
            slot.symbolColour = replacement->colour;
        } else if (slot.isVolume) {
            slot.symbol = VolumeArc::liveSymbol(scene.volumeLevel, scene.volumeMuted);
        } else {
            slot.symbol = slice->symbol;
        }
    }

    const auto* highlightedSlice = scene.highlighted ? &slices[static_cast<std::size_t>(*scene.highlighted)] : nullptr;
    if (highlightedSlice && *highlightedSlice && (*highlightedSlice)->kind == volumeKind) {
        scene.centre = RingScene::Centre::volume;
        scene.centreTitle = BuiltinTools::title(BuiltinTool::volume);
        scene.centreDetail = VolumeArc::centreText({ inputs.volume.isAdjustable(), scene.volumeMuted,
            scene.flyout.has_value(), scene.flyout ? scene.flyout->level : 0.0f,
            controller.state() == RingController::State::sticky });
    } else if (highlightedSlice && *highlightedSlice) {
        scene.centre = RingScene::Centre::sliceTitle;
        scene.centreTitle = (*highlightedSlice)->title;
    } else {
        scene.centre = RingScene::Centre::hub;
    }

    const auto last = controller.lastSlice();
    scene.canRepeat = last.has_value();
    scene.repeatHelp = last ? QStringLiteral("Repeat: ") + last->title : QStringLiteral("Nothing to repeat");
    return scene;
}

}
