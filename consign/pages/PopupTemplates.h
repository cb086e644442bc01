// The dialog templates of the order client's small dialogs (prompt,
// information, cancel confirmation, About), entered once.
#pragma once

void RegisterPopupTemplates();
