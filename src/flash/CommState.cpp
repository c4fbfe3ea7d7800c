#include "CommState.h"

void CommState::Set(int state, int subState)
{
    m_state = state;
    m_subState = subState;
}

void CommState::Push()
{
    m_stack.append({m_state, m_subState});
}

void CommState::Pop()
{
    if (m_stack.isEmpty()) {
        SetIdle();
        return;
    }
    const Pair top = m_stack.takeLast();
    Set(top.state, top.subState);
}
