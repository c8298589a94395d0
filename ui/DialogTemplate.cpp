// IDD_MAIN, the main dialog: three input fields, compute and close buttons, four labels, the
// report list, the hidden table edit and the option button.
#include "ui/DialogTemplate.h"

#include "ui/Resource.h"

namespace {

constexpr unsigned kInput = WS_VISIBLE | WS_TABSTOP;
constexpr unsigned kLabel = WS_VISIBLE;

constexpr ControlTemplate kControls[] = {
    {IDC_DIVX, ControlClass::Edit, "", kInput, 55, 16, 18, 14},
    {IDC_DIVY, ControlClass::Edit, "", kInput, 110, 16, 18, 14},
    {IDC_ALPHA, ControlClass::Edit, "", kInput, 153, 16, 26, 14},
    {IDC_COMPUTE, ControlClass::Button, "計算", BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP,
     148, 91, 32, 14},
    {IDCANCEL, ControlClass::Button, "閉じる", WS_VISIBLE | WS_TABSTOP, 148, 107, 32, 14},
    {IDC_STATIC, ControlClass::Static, "Helmholtz Eq. を 4-node Iso-Parametric 要素で解く", kLabel,
     4, 2, 168, 8},
    {IDC_STATIC, ControlClass::Static, "分割数 ｘ方向", kLabel, 5, 19, 45, 8},
    {IDC_STATIC, ControlClass::Static, "ｙ方向", kLabel, 87, 19, 20, 8},
    {IDC_STATIC, ControlClass::Static, "α", kLabel, 139, 19, 9, 8},
    {IDC_LIST, ControlClass::ListBox, nullptr, WS_VISIBLE | WS_TABSTOP, 6, 37, 134, 84},
    {IDC_TABLE, ControlClass::Edit, "", ES_MULTILINE, 150, 50, 32, 35},
    {IDC_OPTION, ControlClass::Button, "ｵﾌﾟｼｮﾝ", BS_AUTORADIOBUTTON | WS_VISIBLE, 145, 35, 39, 10},
};

constexpr DialogTemplate kMain = {
    186, 211, "2次元有限要素法－膜振動", "ＭＳ Ｐゴシック", 9, kControls,
};

}  // namespace

const DialogTemplate& MainDialogTemplate()
{
    return kMain;
}
