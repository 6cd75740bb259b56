// Admission of storage changes and the predicates the interface enables its
// actions by.

#include "app/AppModel.h"
#include "app/ModelTexts.h"

namespace orvale {

std::optional<std::string> AppModel::beginMutation(const MutationScope& scope) {
    if (storageProblem_ || !store_) return ModelText::storageUnavailable;
    if (pendingMutations_.contains(scope)) return ModelText::changeInProgress;
    if (pendingMutations_.contains(MutationScope::resetAll())) return ModelText::resetInProgress;
    if (busy_) return ModelText::waitForOperation;
    pendingMutations_.insert(scope);
    notify(Property::pendingMutations);
    return std::nullopt;
}

void AppModel::endMutation(const MutationScope& scope) {
    if (pendingMutations_.erase(scope) > 0) notify(Property::pendingMutations);
}

bool AppModel::hasPendingExclusionMutation() const {
    return pendingMutations_.contains(MutationScope::exclusions());
}

bool AppModel::hasPendingShortcutMutation() const {
    return std::any_of(pendingMutations_.begin(), pendingMutations_.end(), [](const auto& scope) {
        return scope.kind == MutationScope::Kind::shortcut;
    });
}

bool AppModel::canCapture() const {
    return permissionTrusted_ && !busy_ && !hasPendingExclusionMutation() && !storageProblem_;
}

bool AppModel::canRestore() const {
    return canCapture() && selectedLayout() != nullptr;
}

bool AppModel::canChooseRestore(const Uuid& layoutID) const {
    return canCapture() && layout(layoutID) != nullptr;
}

bool AppModel::canUndo() const {
    return permissionTrusted_ && !busy_ && !hasPendingExclusionMutation() && undoInfo_;
}

void AppModel::cancelRestore() {
    if (busy_ != OperationKind::restoring && busy_ != OperationKind::undoing) return;
    if (cancellation_) cancellation_->cancel();
    if (progress_) {
        progress_->currentLabel =
            busy_ == OperationKind::undoing ? ModelText::cancellingUndo : ModelText::cancelling;
        notify(Property::progress);
    }
}

}  // namespace orvale
