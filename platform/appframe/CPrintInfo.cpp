#include "platform/appframe/CPrintInfo.h"

#include <algorithm>

#include "platform/appframe/CPrintDialog.h"

namespace win {

namespace {

constexpr UINT kUnknownLastPage = 0xFFFF;

} // namespace

// The framework's print dialog prints the whole document: no page numbers, no
// selection, no file output.
CPrintInfo::CPrintInfo() : m_pPD(new CPrintDialog(FALSE)) {}

CPrintInfo::~CPrintInfo() { delete m_pPD; }

void CPrintInfo::SetMinPage(UINT nMinPage) { m_pPD->m_pd.nMinPage = WORD(std::clamp(nMinPage, 1u, kUnknownLastPage)); }

void CPrintInfo::SetMaxPage(UINT nMaxPage) { m_pPD->m_pd.nMaxPage = WORD(std::clamp(nMaxPage, 1u, kUnknownLastPage)); }

UINT CPrintInfo::GetMinPage() const { return m_pPD->m_pd.nMinPage; }

UINT CPrintInfo::GetMaxPage() const { return m_pPD->m_pd.nMaxPage; }

bool CPrintInfo::MaxPageKnown() const { return m_pPD->m_pd.nMaxPage != kUnknownLastPage; }

UINT CPrintInfo::GetFromPage() const
{
    if (m_pPD->PrintRange())
        return std::max<UINT>(m_pPD->m_pd.nFromPage, GetMinPage());
    return GetMinPage();
}

UINT CPrintInfo::GetToPage() const
{
    if (m_pPD->PrintRange())
        return std::min<UINT>(m_pPD->m_pd.nToPage, GetMaxPage());
    return GetMaxPage();
}

} // namespace win
