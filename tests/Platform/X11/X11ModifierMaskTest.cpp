#include "Platform/X11/X11GlobalHotkeys.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

TEST(X11ModifierMask, EachQtModifierIsItsX11Bit)
{
    struct Case {
        Qt::KeyboardModifiers modifiers;
        std::uint16_t mask;
    } const cases[] = {
        { Qt::NoModifier, 0 },
        { Qt::AltModifier, XCB_MOD_MASK_1 },
        { Qt::ControlModifier | Qt::AltModifier, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 },
        { Qt::ShiftModifier | Qt::MetaModifier, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4 },
        { Qt::ControlModifier | Qt::ShiftModifier, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT },
        // Keypad is where a key is, not a modifier to grab with.
        { Qt::KeypadModifier | Qt::AltModifier, XCB_MOD_MASK_1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(X11GlobalHotkeys::modifierMask(c.modifiers), c.mask) << c.modifiers.toInt();
}
