#include "wizard/wizard_model.h"

#include "wizard/settings_table.h"

namespace fotoloom {

WizardModel::WizardModel() { ApplySettingRanges(*this); }

AdvancedDialogModel::AdvancedDialogModel() { ApplySettingRanges(*this); }

GroupBox* WizardModel::page(int n) {
  switch (n) {
    case 1: return &gboxPage1;
    case 2: return &gboxPage2;
    case 3: return &gboxPage3;
    case 4: return &gboxPage4;
    case 5: return &gboxPage5;
    case 6: return &gboxPage6;
    case 7: return &gboxPage7;
    default: return nullptr;
  }
}

}  // namespace fotoloom
