// How fast feedback mail goes: encoding large messages (7bit and quoted-printable), and one
// feedback mail sent to a local aiosmtpd by our SMTP client beside Python's smtplib sending
// the same bytes to the same server, in one run.

#include "mailerrors.h"
#include "mailmessage.h"
#include "smtpclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

void Compose(TmsMessage& m, int lines, bool eightBit, int lineLength = 60) {
  m.Sender().SetAddress(u"tester@example.org"_s);
  m.Recipients().Add(u"beta@pellworth.example"_s,
                     u"Saltmarch 98 : Glass Horizon (\u00DF 1.2) Feedback"_s);
  m.SetSubject(u"Saltmarch 98 v1.2.0.98 Bug Report"_s);
  m.Body() << QString() << u"[Beta Version]"_s << QString();
  const QString words = eightBit
                            ? u"Der Sardaukar schie\u00DFt zu oft daneben, bitte pr\u00FCfen. "_s
                            : u"The Sonic Tank fires too often at its own units, check. "_s;
  const QString line = words.repeated(lineLength / int(words.size()) + 1).left(lineLength);
  for (int i = 0; i < lines; ++i) m.Body() << line;
}

void EncodeBench(benchmark::State& state, int lines, bool eightBit, int lineLength) {
  TmsMessage m;
  Compose(m, lines, eightBit, lineLength);
  qsizetype bytes = 0;
  for (auto _ : state) {
    const QByteArray encoded = TmsMessageEncoder(m).Encode();
    bytes = encoded.size();
    benchmark::DoNotOptimize(encoded.constData());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["message_bytes"] = double(bytes);
}

// About 1.2 MB of text: short ASCII lines (7bit), long lines (quoted-printable), and text
// outside US-ASCII (quoted-printable UTF-8).
void BM_Encode7bit(benchmark::State& s) {
  EncodeBench(s, 20000, false, 60);
}
void BM_EncodeQuotedPrintableLongLines(benchmark::State& s) {
  EncodeBench(s, 4000, false, 300);
}
void BM_EncodeQuotedPrintableUtf8(benchmark::State& s) {
  EncodeBench(s, 20000, true, 60);
}
BENCHMARK(BM_Encode7bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeQuotedPrintableLongLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeQuotedPrintableUtf8)->Unit(benchmark::kMillisecond);

struct Stats {
  double median = 0, mean = 0, min = 0;
};

Stats Summarize(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  Stats s;
  s.min = ms.front();
  s.median = ms[ms.size() / 2];
  for (double v : ms) s.mean += v;
  s.mean /= double(ms.size());
  return s;
}

// A send of the same message by Python's smtplib, `count` times on fresh connections, each
// timed by Python itself so the interpreter's start is not counted.
const char* const kSmtplibClient = R"(
import smtplib, sys, time
port, count, path, sender, rcpt = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
data = open(path, 'rb').read()
for _ in range(count):
    t = time.perf_counter()
    with smtplib.SMTP('127.0.0.1', port, local_hostname='localhost') as s:
        s.sendmail(sender, [rcpt], data)
    print((time.perf_counter() - t) * 1000.0)
)";

bool CompareSends(const QString& label, int lines, int count) {
  QTemporaryDir store;
  QProcess sink;
  sink.start(QStringLiteral(SMARCH_PYTHON), {QStringLiteral(SMARCH_SMTP_SINK), store.path()});
  if (!sink.waitForStarted(10000) || !sink.waitForReadyRead(20000)) {
    std::fprintf(stderr, "could not start the local aiosmtpd\n");
    return false;
  }
  const int port = sink.readLine().trimmed().toInt();

  TmsMessage m;
  Compose(m, lines, true);
  TmsSMTP smtp;
  smtp.SetWinsockLoaded(true);
  smtp.SetServer(u"127.0.0.1:"_s + QString::number(port));
  smtp.SetMailMessage(&m);

  // Python sends exactly the bytes our encoder made (the server adds nothing it would not
  // add for ours).
  QFile eml(store.filePath(u"message.eml"_s));
  if (!eml.open(QIODevice::WriteOnly)) return false;
  const QByteArray encoded = TmsMessageEncoder(m).Encode();
  eml.write(encoded);
  eml.close();

  // The two take turns in rounds of ten sends, so a busy moment of the machine falls on both.
  std::vector<double> ours;
  std::vector<double> theirs;
  constexpr int kRound = 10;
  for (int done = 0; done < count; done += kRound) {
    for (int i = 0; i < kRound; ++i) {
      QElapsedTimer t;
      t.start();
      try {
        smtp.Send();
      } catch (const EMailError& e) {
        std::fprintf(stderr, "send failed: %s\n", qPrintable(e.Message()));
        return false;
      }
      ours.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    QProcess python;
    python.start(
        QStringLiteral(SMARCH_PYTHON),
        {u"-c"_s, QString::fromUtf8(kSmtplibClient), QString::number(port), QString::number(kRound),
         eml.fileName(), m.Sender().Address(), m.Recipients().Item(0).Address()});
    python.waitForFinished(600000);
    for (const QByteArray& line : python.readAllStandardOutput().split('\n'))
      if (!line.trimmed().isEmpty()) theirs.push_back(line.toDouble());
    if (theirs.size() != ours.size()) {
      std::fprintf(stderr, "smtplib failed: %s\n", python.readAllStandardError().constData());
      return false;
    }
  }
  sink.closeWriteChannel();
  sink.waitForFinished(5000);

  const Stats a = Summarize(ours);
  const Stats b = Summarize(theirs);
  std::printf("%-34s %8lld bytes, %d sends each, ms per send (median / mean / min)\n",
              qPrintable(label), static_cast<long long>(encoded.size()), int(ours.size()));
  std::printf("  TmsSMTP (encode + send)          %8.3f / %8.3f / %8.3f\n", a.median, a.mean,
              a.min);
  std::printf("  Python smtplib (send only)       %8.3f / %8.3f / %8.3f\n", b.median, b.mean,
              b.min);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::printf("\nOne mail to a local aiosmtpd on 127.0.0.1, a fresh connection each:\n");
  bool ok = CompareSends(u"feedback mail (40 lines)"_s, 40, 200);
  ok = CompareSends(u"100 KB mail (1250 lines)"_s, 1250, 100) && ok;
  ok = CompareSends(u"large mail (20000 lines)"_s, 20000, 20) && ok;
  return ok ? 0 : 1;
}
