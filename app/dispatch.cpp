#include "dispatch.h"

#include "catalogue-lock.h"
#include "commands.h"
#include "output.h"

namespace {

// In the order the dispatcher tests them. Words are only recognised with
// their own argument count.
const CommandRow kCommands[] = {
    {"-l", "--list", 0, false, [](const sString*) { fList(); }},
    {"-lbn", "--listbyname", 0, false, [](const sString*) { fListByName(); }},
    {"-d", "--del", 1, true, [](const sString* p) { fDel(p[0]); }},
    {"-t", "--autoadd", 1, true, [](const sString* p) { fAutoAdd(p[0]); }},
    {"-pr", "--printrec", 1, false, [](const sString* p) { fPrintRec(p[0]); }},
    {"-ps", "--printsearch", 1, true,
     [](const sString* p) { fPrintImdbSearch(p[0]); }},
    {"-g", "--get", 2, false, [](const sString* p) { fGet(p[0], p[1]); }},
    {"-u", "--urladd", 2, true, [](const sString* p) { fUrlAdd(p[0], p[1]); }},
    {"-fl", "--filter", 2, false,
     [](const sString* p) { fFilter(p[0], p[1]); }},
    {"-e", "--edit", 3, true,
     [](const sString* p) { fEdit(p[0], p[1], p[2]); }},
    {"-a", "--add", 12, true,
     [](const sString* p) {
       fAdd(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10],
            p[11]);
     }},
    {"-c", "--change", 12, true,
     [](const sString* p) {
       fChangeRec(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9],
                  p[10], p[11]);
     }},
};

}  // namespace

const CommandRow* FindCommand(const sString& sWord, int iArgs) {
  for (const CommandRow& row : kCommands) {
    if (row.iArgs == iArgs && (sWord == row.sShort || sWord == row.sLong))
      return &row;
  }
  return nullptr;
}

namespace {

void Run(const std::vector<sString>& words) {
  const CommandRow* pRow =
      words.empty() ? nullptr
                    : FindCommand(words[0], static_cast<int>(words.size()) - 1);
  if (pRow == nullptr) {
    ShowHelp();
    return;
  }
  const sString* pArgs = words.data() + 1;
  if (!pRow->bChanges) {
    // Readers need no lock: changes replace the catalogue atomically, so a
    // reader sees the old file or the new one, whole.
    pRow->run(pArgs);
    return;
  }
  CatalogueLock lock(DBfile + ".lock");
  pRow->run(pArgs);
}

}  // namespace

void Dispatch(const std::vector<sString>& words) {
  Run(words);
  FlushOutput();
}
