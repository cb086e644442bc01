// The dialog templates of the main sheet's thirteen pages, entered once before
// the first page is built.
#pragma once

void RegisterPageTemplates();
