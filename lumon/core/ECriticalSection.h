// A critical section owned by an object: the lock by which the owners of shared
// containers guard them between threads.
#pragma once

#include "platform/win/Thread.h"

class ECriticalSection {
public:
    ECriticalSection();
    ECriticalSection(const ECriticalSection &) = delete;
    ECriticalSection &operator=(const ECriticalSection &) = delete;
    virtual ~ECriticalSection();

    void Enter();
    void Leave();

private:
    win::CRITICAL_SECTION m_Section;
};
