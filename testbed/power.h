// A power loss in the middle of an operation: after the k-th mutating call of
// the code under test (registry writes and deletes, DOS name definitions,
// COM name database claims and releases, device property writes) every later
// one fails, as if nothing reached the disk any more. Reads go on.
#pragma once

namespace tb {

// Lets `calls` more mutating calls through, then fails every one; -1: no limit.
void SetMutationBudget(int calls);
// Mutating calls the code under test made since the last SetMutationBudget (failed ones included).
int MutatingCalls();
// Called by each mutating stand-in: false when the call must fail.
bool SpendMutation();

}  // namespace tb
