#include "pages/widgets/CWGesture.h"

#include <algorithm>

bool CWGesture::MousePress(bool leftButton)
{
    if (!leftButton)
        return false;
    m_dragging = true;
    return true;
}

bool CWGesture::MouseRelease(bool leftButton)
{
    if (!leftButton || !m_dragging)
        return false;
    m_dragging = false;
    return true;
}

void CWGesture::KeyPress(int key)
{
    if (std::find(m_heldKeys.begin(), m_heldKeys.end(), key) == m_heldKeys.end())
        m_heldKeys.push_back(key);
}

bool CWGesture::KeyRelease(int key, bool autoRepeat)
{
    if (autoRepeat)
        return false;
    const auto held = std::find(m_heldKeys.begin(), m_heldKeys.end(), key);
    if (held == m_heldKeys.end())
        return false;
    m_heldKeys.erase(held);
    return true;
}

void CWGesture::Cancel()
{
    m_dragging = false;
    m_heldKeys.clear();
}
