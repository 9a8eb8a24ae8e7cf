#include "app/registered_messages.h"

namespace qm {

const UINT CompareDoneMessage =
    RegisterWindowMessageA("MSG_COMPARE_DONE-{2ECF7E4C-1184-4b0e-8849-F7DDD5BCF4DC}");
const UINT FindReplaceMessage = RegisterWindowMessageA("commdlg_FindReplace");

}  // namespace qm
