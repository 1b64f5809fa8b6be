#!/usr/bin/env bash
# Lighthouse's four scores (performance, accessibility, best practices, SEO) of the
# samples index page, served by `python3 -m http.server` on loopback and audited in
# Debian's Chromium with Lighthouse's default settings (a phone on a throttled line).
#
#   bash bench/lighthouse.sh [BUILD_FOLDER] [RUNS]
#
# BUILD_FOLDER (default: build) must hold bin/samples/ (the build publishes it). The npm
# package lighthouse is installed once into BUILD_FOLDER/lighthouse/ (12.2.3: later ones
# want a newer Node than Debian's). Prints each run's scores and the lowest of each;
# the reports go to BUILD_FOLDER/lighthouse/report-N.json. The goal: 100 in all four.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-3}
samples=$build/bin/samples
tools=$build/lighthouse
if [[ ! -f $samples/index.html ]]; then
  echo "lighthouse.sh: $samples/index.html is missing; build first" >&2
  exit 1
fi
if [[ ! -x $tools/node_modules/.bin/lighthouse ]]; then
  mkdir -p "$tools"
  npm install --prefix "$tools" --no-audit --no-fund --loglevel=error -E lighthouse@12.2.3 >&2
fi

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$samples" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
  sleep 0.1
done

for run in $(seq "$runs"); do
  profile=$(mktemp -d)
  CHROME_PATH=/usr/bin/chromium "$tools/node_modules/.bin/lighthouse" "http://127.0.0.1:$port/index.html" --quiet \
    --only-categories=performance,accessibility,best-practices,seo --output=json \
    --output-path="$tools/report-$run.json" \
    --chrome-flags="--headless=new --no-sandbox --disable-gpu --disable-background-networking --disable-component-update --disable-sync --no-first-run --user-data-dir=$profile" \
    || { rm -rf "$profile"; exit 1; }
  rm -rf "$profile"
done

node - "$tools" "$runs" <<'EOF'
const [tools, runs] = process.argv.slice(2);
const names = ['performance', 'accessibility', 'best-practices', 'seo'];
const lowest = {};
for (let run = 1; run <= Number(runs); run++) {
  const report = require(`${tools}/report-${run}.json`);
  const scores = names.map((n) => Math.round(report.categories[n].score * 100));
  names.forEach((n, i) => { lowest[n] = Math.min(lowest[n] ?? 100, scores[i]); });
  // What kept a category below 100: the audits that did not pass.
  const failing = Object.values(report.audits).filter((a) => a.score !== null && a.score < 1 &&
    names.some((n) => report.categories[n].auditRefs.some((r) => r.id === a.id && r.weight > 0)));
  console.log(`run ${run}: ${names.map((n, i) => `${n} ${scores[i]}`).join(', ')}` +
    (failing.length ? `  (below 1: ${failing.map((a) => `${a.id} ${a.score}`).join(', ')})` : ''));
}
console.log(`lowest: ${names.map((n) => `${n} ${lowest[n]}`).join(', ')}`);
EOF
