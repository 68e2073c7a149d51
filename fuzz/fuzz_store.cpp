// The store operations against the in-memory model of store_model.h.
//
// Input: how the catalogue starts (made by create, lines built from
// interesting pieces, or raw bytes), then up to 16 operations with their
// names and values. After every operation the result, the printed text and
// the file's bytes must be what the model gives, and no scratch file may be
// left behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "output.h"
#include "smDB.h"
#include "store_model.h"

namespace {

const char kDb[] = "db";
const char* const kKeys[11] = {"plot",     "tagline", "rate",     "year",
                               "director", "runtime", "comments", "pic",
                               "Act",      "Genre",   "Type"};

std::string TakeName(FuzzedDataProvider* in) { return fuzz::TakeText(in, 3); }

std::string TakeKey(FuzzedDataProvider* in) {
  if (in->ConsumeBool()) return kKeys[in->ConsumeIntegralInRange(0, 10)];
  return fuzz::TakeText(in, 2);
}

fuzz::MovieValues TakeValues(FuzzedDataProvider* in) {
  fuzz::MovieValues values(11);
  // Mostly plain values, so that an operation is not refused for a stray
  // line break in one of eleven texts.
  for (std::string& v : values)
    if (in->ConsumeIntegralInRange(0, 7) == 0) v = fuzz::TakeText(in, 2);
  return values;
}

std::string Describe(const fuzz::Outcome& o) {
  return std::string(o.bOk ? "true" : "false") + " value[" + o.sValue +
         "] printed[" + o.sPrinted + "] file[" + o.sFile + "]";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::EnterScratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  fuzz::ClearFolder();

  smDB db;
  fuzz::StoreModel model("");
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
      if (!db.create(kDb)) fuzz::Fail("create failed");
      model.SetFile("1.0.0-TALVERO_sTxtDB\n");
      break;
    case 1: {
      std::string text = "1.0.0-TALVERO_sTxtDB\n";
      const int n = in.ConsumeIntegralInRange(0, 8);
      for (int i = 0; i < n; ++i) text += fuzz::TakeText(&in, 3) + "\n";
      if (in.ConsumeBool()) text.pop_back();
      model.SetFile(text);
      break;
    }
    default:
      model.SetFile(in.ConsumeRandomLengthString(200));
      break;
  }
  if (!db.isopen()) {
    fuzz::WriteFile(kDb, model.File());
    if (!db.open(kDb)) fuzz::Fail("open failed on a readable file");
  }

  const int iOps = in.ConsumeIntegralInRange(1, 16);
  for (int op = 0; op < iOps && in.remaining_bytes() > 0; ++op) {
    fuzz::Outcome want;  // what the model gives
    fuzz::Outcome got;
    got.sValue = "!not found!";  // only getRec gives a value
    const char* what = "";
    fuzz::StdoutCapture capture;
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0: {
        what = "getRec";
        const std::string sRec = TakeName(&in), sField = TakeKey(&in);
        got.sValue = db.getRec(sRec, sField);
        want = model.GetRec(sRec, sField);
        got.bOk = want.bOk;  // getRec answers by its value only
        break;
      }
      case 1: {
        what = "editRec";
        const std::string sRec = TakeName(&in), sField = TakeKey(&in),
                          sValue = fuzz::TakeText(&in);
        got.bOk = db.editRec(sRec, sField, sValue);
        want = model.EditRec(sRec, sField, sValue);
        break;
      }
      case 2: {
        what = "addRec(field)";
        const std::string sRec = TakeName(&in), sValue = fuzz::TakeText(&in);
        got.bOk = db.addRec(sRec, sValue);
        want = model.AddField(sRec, sValue);
        break;
      }
      case 3: {
        what = "addRec(movie)";
        const std::string sRec = TakeName(&in);
        const fuzz::MovieValues v = TakeValues(&in);
        got.bOk = db.addRec(sRec, v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                            v[7], v[8], v[9], v[10]);
        want = model.AddMovie(sRec, v);
        break;
      }
      case 4: {
        what = "delRec";
        const std::string sRec = TakeName(&in);
        got.bOk = db.delRec(sRec);
        want = model.DelRec(sRec);
        break;
      }
      case 5: {
        what = "changeRec";
        const std::string sRec = TakeName(&in);
        const fuzz::MovieValues v = TakeValues(&in);
        got.bOk = db.changeRec(sRec, v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                               v[7], v[8], v[9], v[10]);
        want = model.ChangeRec(sRec, v);
        break;
      }
      case 6: {
        what = "printRec";
        const std::string sRec = TakeName(&in);
        got.bOk = db.printRec(sRec);
        want = model.PrintRec(sRec);
        break;
      }
      default: {
        what = "printFilter";
        const std::string sField = TakeKey(&in),
                          sWanted = fuzz::TakeText(&in, 2);
        got.bOk = db.printFilter(sField, sWanted);
        want = model.PrintFilter(sField, sWanted);
        break;
      }
    }
    FlushOutput();  // the store prints through the program's buffer
    got.sPrinted = capture.Take();
    if (!fuzz::ReadFile(kDb, &got.sFile)) fuzz::Fail(what, "db is gone");

    if (want.bOk != got.bOk || want.sValue != got.sValue ||
        want.sPrinted != got.sPrinted || want.sFile != got.sFile)
      fuzz::Fail(what, "store gave " + Describe(got) + "\nmodel expected " +
                           Describe(want));
    model.SetFile(got.sFile);
    if (fuzz::Exists("tmpfl") || fuzz::Exists("tempout"))
      fuzz::Fail(what, "left a scratch file behind");
  }
  return 0;
}
