#include "controls/editors/EditInterfaces.h"

#include "platform/rtl/Exception.h"

namespace editors {

IInplaceEditHolderEx* RequireInplaceEditHolder(ui::TControl* holder)
{
    if (!holder) return nullptr;
    auto* holderInterface = dynamic_cast<IInplaceEditHolderEx*>(holder);
    if (!holderInterface) throw rtl::Exception(InplaceEditHolderRequired);
    return holderInterface;
}

IPopupOwnerEx* PopupOwnerOf(const rtl::TComponent* dropDown)
{
    if (!dropDown) return nullptr;
    return dynamic_cast<IPopupOwnerEx*>(dropDown->GetOwner());
}

} // namespace editors
