// A property page whose controls follow its size through a sizing manager.
// The deriving page registers its controls after OnInitDialog.
#pragma once

#include "consign/pages/cdxCSizingManager.h"
#include "platform/appframe/CPropertyPage.h"

class cdxCSizingPropPage : public win::CPropertyPage {
public:
    explicit cdxCSizingPropPage(win::UINT nIDTemplate, win::UINT nIDCaption = 0);

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    win::BOOL DestroyWindow() override;

    // The pages grow both ways and show no grip.
    cdxCSizingManager m_Manager{cdxCSizingManager::GROW_X | cdxCSizingManager::GROW_Y, false};
    // The resizable sheet the page lies in; none in this program.
    cdxCSizingManager *m_pSheetManager = nullptr;
    win::CWnd *m_pSheet = nullptr;

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
