#include "lumon/core/ECriticalSection.h"

using namespace win;

ECriticalSection::ECriticalSection()
{
    InitializeCriticalSection(&m_Section);
}

ECriticalSection::~ECriticalSection()
{
    DeleteCriticalSection(&m_Section);
}

void ECriticalSection::Enter()
{
    EnterCriticalSection(&m_Section);
}

void ECriticalSection::Leave()
{
    LeaveCriticalSection(&m_Section);
}
