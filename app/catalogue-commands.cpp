// The commands that read or change single records of the catalogue. Each
// opens the catalogue through its own smDB, calls one store operation and
// prints the outcome; the store does all file work.
#include <string_view>

#include "commands.h"
#include "new-store.h"
#include "smDB.h"

const sString DBfile = "db";

namespace {

void PrintResult(bool bDone) { Print(bDone ? "!ok!" : "!error!"); }

}  // namespace

// "--new": starts an empty catalogue in the current folder, the one way to
// make a catalogue without typing its header line by hand.
void fNew() { PrintResult(CreateStoreFile(DBfile)); }

void fDel(const sString& sP) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error!");
    return;
  }
  PrintResult(db.delRec(sP));
}

void fGet(const sString& sP1, const sString& sP2) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error!");
    return;
  }
  sString sRes = db.getRec(sP1, sP2);
  Print(sRes == "!not found!" ? std::string_view("!error!") : sRes);
}

void fEdit(const sString& sP1, const sString& sP2, const sString& sP3) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error!");
    return;
  }
  PrintResult(db.editRec(sP1, sP2, sP3));
}

void fAdd(const sString& sRec, const sString& sPlot, const sString& sTag,
          const sString& sRate, const sString& sYear, const sString& sDir,
          const sString& sTime, const sString& sComm, const sString& sPic,
          const sString& sAct, const sString& sGen, const sString& sType) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error!");
    return;
  }
  PrintResult(db.addRec(sRec, sPlot, sTag, sRate, sYear, sDir, sTime, sComm,
                        sPic, sAct, sGen, sType));
}

void fChangeRec(const sString& sRec, const sString& sPlot,
                const sString& sTag, const sString& sRate,
                const sString& sYear, const sString& sDir,
                const sString& sTime, const sString& sComm,
                const sString& sPic, const sString& sAct,
                const sString& sGen, const sString& sType) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error! Could not open DataBase.");
    return;
  }
  if (db.changeRec(sRec, sPlot, sTag, sRate, sYear, sDir, sTime, sComm, sPic,
                   sAct, sGen, sType)) {
    Print("!ok!");
  } else {
    Print("!error! Could not change record.");
  }
}

void fPrintRec(const sString& sP1) {
  smDB db;
  if (!db.open(DBfile) || !db.printRec(sP1)) Print("!error!");
}

void fFilter(const sString& sP1, const sString& sP2) {
  smDB db;
  if (!db.open(DBfile) || !db.printFilter(sP1, sP2)) Print("!error!");
}
