// Resource and control identifiers of the main dialog.
#pragma once

inline constexpr int IDCANCEL = 2;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDC_COMPUTE = 1000;
inline constexpr int IDC_DIVX = 1001;
inline constexpr int IDC_DIVY = 1002;
inline constexpr int IDC_ALPHA = 1004;
inline constexpr int IDC_LIST = 1005;
inline constexpr int IDC_TABLE = 1006;
inline constexpr int IDC_OPTION = 1007;
inline constexpr int IDC_STATIC = -1;
