#pragma once

// One user gesture on an instrument, from its press to its release: a drag
// with the left mouse button, or the holding of a key (its auto-repeated
// presses and releases belong to the same gesture). The owner notifies its
// release once per gesture; a release that ends no gesture (its press went
// elsewhere) is not one.

#include <vector>

class CWGesture {
public:
    // A left-button press starts a drag; other buttons start nothing.
    bool MousePress(bool leftButton);
    // True when this release ends the drag.
    bool MouseRelease(bool leftButton);
    bool Dragging() const { return m_dragging; }
    // A drag runs or a key is held.
    bool Active() const { return m_dragging || !m_heldKeys.empty(); }

    void KeyPress(int key);
    // True when this release ends the holding of `key`; auto-repeated
    // releases never do.
    bool KeyRelease(int key, bool autoRepeat);

    // Forgets every gesture (input switched off, widget hidden).
    void Cancel();

private:
    bool m_dragging = false;
    std::vector<int> m_heldKeys;
};
