#!/bin/bash
# Our query files against ProteoWizard msconvert's peak lists, searched with Comet:
#  1. builds vesk and ostrand-export (Release) unless a build folder is given that has them;
#  2. imports every public file of the data folder and exports it, next to msconvert's peak list;
#  3. searches the public E. coli run (ion-trap MS/MS) with its target-decoy FASTA, both ways;
#  4. generates realistic data-dependent TOF runs in profile (30 minutes by default), once with the
#     precursor charges recorded and once without, measures our export and msconvert's two
#     pipelines on them (wall and CPU time, peak memory), then searches all three peak lists, checks
#     the identifications against the ground truth and counts the true fragments they list;
#  5. measures our export alone on a long run (120 minutes by default) for its peak memory.
# Figures go to bench/results/search.md (the raw records beside it, search.jsonl); everything else
# stays in the work folder.
#
# Usage: bench/search/run.sh [-b BUILD_DIR] [-w WORK_DIR] [-m "30"] [-l "120"] [-g PROTEINS] [-c recorded|none]
#                            [-r RUNS] [-d DATA_DIR] [-o REPORT]
#   BUILD_DIR  a CMake build folder (default: build-bench in the repository)
#   WORK_DIR   where the generated runs and peak lists go (default: BUILD_DIR/bench-search, several GB)
#   -m, -l     lengths in minutes of the searched runs and of the long runs (-l "" for none)
#   PROTEINS   random background proteins searched with a generated run's own (default 5000)
#   -c         one charge regime only (default both); separate invocations may then run in parallel
#   DATA_DIR   the public files (default: the shared data folder); an empty folder skips them
#   RUNS       timed repetitions of our export and of msconvert's peak picking (default 3); the
#              slow msconvert pipeline runs once
#   REPORT     the markdown report (default: bench/results/search.md)
# Needs comet-ms (Debian comet-ms), msconvert (libpwiz-tools), GNU time (time), python3, cmake, ninja.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=$repo/build-bench
work=
minutes=30
long=120
background=5000
regimes=("charges recorded" "no charges recorded")
runs=3
data=$repo/../shared/data
report=$repo/bench/results/search.md
while getopts "b:w:m:l:g:c:r:d:o:" option; do
    case $option in
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    m) minutes=$OPTARG ;;
    l) long=$OPTARG ;;
    g) background=$OPTARG ;;
    c) case $OPTARG in
       recorded) regimes=("charges recorded") ;;
       none) regimes=("no charges recorded") ;;
       *) echo "run.sh: -c takes recorded or none" >&2; exit 2 ;;
       esac ;;
    r) runs=$OPTARG ;;
    d) data=$OPTARG ;;
    o) report=$OPTARG ;;
    *) sed -n '14,26p' "$0" >&2; exit 2 ;;
    esac
done
work=${work:-$build/bench-search}
for tool in comet-ms msconvert /usr/bin/time python3 cmake ninja; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is not installed" >&2; exit 2; }
done
[ -d "$data" ] || { echo "run.sh: no data folder $data" >&2; exit 2; }

# 1. Build.
[ -f "$build/build.ninja" ] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
ninja -C "$build" vesk ostrand-export
vesk=$build/bin/vesk
ostrand_export=$build/bin/ostrand-export

mkdir -p "$work"
work=$(cd "$work" && pwd)
results=$work/results.jsonl
rm -f "$results"
# An empty settings folder: the export runs with the factory-default processing parameters.
rm -rf "$work/settings"
mkdir -p "$work/settings"
export OSTRAND_SETTINGS_DIR=$work/settings

bench() { python3 "$here/searchbench.py" "$@"; }
(cd "$work" && comet-ms -p >/dev/null)
template=$work/comet.params.new

# search DATASET LABEL PEAKLIST PARAMS [score options...]: Comet on the peak list (a query file or
# msconvert's mzML) written as a numbered MS2 file, then the PSMs at 1 % FDR of that search.
search() {
    local dataset=$1 label=$2 peaklist=$3 params=$4
    shift 4
    local base=${peaklist%.*}
    bench number "$peaklist" "$base.numbered.ms2" >/dev/null
    comet-ms -P"$params" -N"$base.comet" "$base.numbered.ms2" >"$base.comet.log" 2>&1 ||
        { echo "run.sh: Comet failed on $peaklist, see $base.comet.log" >&2; exit 1; }
    bench score --results "$results" --dataset "$dataset" --label "$label" --peaklist "$base.numbered.ms2" \
        --comet "$base.comet.txt" "$@"
}

# timed TIMES_FILE LOG COMMAND...: runs the command under GNU time, appending "wall user sys
# maxrss exit" to TIMES_FILE; its output goes to LOG. Returns the command's exit status.
timed() {
    local times=$1 log=$2
    shift 2
    /usr/bin/time -f "%e %U %S %M %x" -a -o "$times" "$@" >"$log" 2>&1
}

# msconvert writes its peak lists in its default output format, mzML; the benchmark reads the MS/MS
# spectra from them. For the public files, whose conversion is not timed, it keeps the MS/MS
# spectra alone and drops the chromatograms (one file has one that msconvert cannot write back).
ms2_only=(--filter "msLevel 2-" --chromatogramFilter "index [1,0]")

# 2. Every public acquisition through import and export.
mkdir -p "$work/public"
for input in "$data"/*.mzML "$data"/*.mzXML; do
    [ -f "$input" ] || continue
    name=$(basename "$input")
    out=$work/public/${name%.*}
    import_status=0 export_status=0 message=
    rm -f "$out".*  # nothing of an earlier run may pass for this one's output
    "$vesk" import -q "$input" -o "$out.vesk" 2>"$out.import.log" || import_status=$?
    if [ "$import_status" = 0 ]; then
        "$ostrand_export" "$out.vesk" -o "$out.sxq" >"$out.export.log" 2>&1 || export_status=$?
        message=$(tail -n 1 "$out.export.log")
    else
        export_status=-
        message=$(tail -n 1 "$out.import.log")
    fi
    msconvert "$input" --mzML "${ms2_only[@]}" -o "$work/public" --outfile "$(basename "$out").msconvert.mzML" \
        >/dev/null 2>&1 || true
    peaklists=()
    [ -f "$out.sxq" ] && peaklists+=(--peaklist "$out.sxq")
    [ -f "$out.msconvert.mzML" ] && peaklists+=(--reference "$out.msconvert.mzML")
    bench export --results "$results" --file "$name" --import-status "$import_status" \
        --export-status "$export_status" --message "${message//$work\/public\//}" "${peaklists[@]}" >/dev/null
done

# 3. The public E. coli run with its FASTA of targets and rev_ decoys.
ecoli=$work/public/Ecoli_MS2_small
ecoli_fasta=$data/target_decoy_Ecoli_K12_TaxID_83333.proteomes.fasta
if [ -f "$ecoli.sxq" ] && [ -f "$ecoli_fasta" ]; then
    bench comet-params iontrap "$ecoli_fasta" "$template" "$work/ecoli.params"
    search "Ecoli_MS2_small" "ostrand-export" "$ecoli.sxq" "$work/ecoli.params"
    search "Ecoli_MS2_small" "msconvert" "$ecoli.msconvert.mzML" "$work/ecoli.params"
fi

# 4. Generated runs: speed, memory and identifications.
picking=(--filter "peakPicking true 1-")
pipeline=(--filter "peakPicking true 1-" --filter "threshold absolute 0 most-intense" --filter "turbocharger"
    --filter "MS2Deisotope")
# msconvert's charge finder gives up on a precursor window of more than 40 survey peaks, and the
# counting noise of profile TOF survey scans yields that many local maxima in busy regions (every
# Poisson-noisy peak gives several). Only the 100 most intense peaks of each survey scan are kept,
# so that it can run; the MS/MS processing stays that of the pipeline above.
survey_noise_threshold=(--filter "threshold count 100 most-intense 1")
pipeline_label="msconvert comparable pipeline"
fallback_label="$pipeline_label, 100 survey peaks"

# msconvert_watched TIMES LOG ARGS...: msconvert under GNU time. Its worker threads report a
# failed spectrum on stderr and may then wait forever, so the run is stopped at that report.
# Returns 0 only for a run that ended without error.
msconvert_watched() {
    local times=$1 log=$2
    shift 2
    /usr/bin/time -f "%e %U %S %M %x" -a -o "$times" msconvert "$@" >"$log" 2>&1 &
    local timer=$!
    while kill -0 "$timer" 2>/dev/null; do
        if grep -q "error in thread" "$log"; then
            pkill -TERM -P "$timer" || true
            wait "$timer" || true
            return 1
        fi
        sleep 1
    done
    wait "$timer" && ! grep -qi "error" "$log"
}

# generate RUN MINUTES [vesk generate options...]: a generated run with its mzML, target-decoy
# FASTA and Comet parameters; records it and prints its product scans.
generate() {
    local run=$1 length=$2 dataset=$3
    shift 3
    "$vesk" generate -q --minutes "$length" --seed 1 "$@" -o "$run.vesk" >/dev/null
    "$vesk" convert -q "$run.vesk" -o "$run.mzML" >/dev/null
    # The sample's proteins among as many others as a real proteome search looks through.
    bench decoy-fasta "$run.fasta" "$run.target_decoy.fasta" --background "$background" >/dev/null
    bench comet-params tof "$run.target_decoy.fasta" "$template" "$run.params"
    bench run --results "$results" --dataset "$dataset" --truth "$run.truth.json"
}

# Each searched length in two regimes: the instrument's precursor charges recorded with every
# product scan, and not recorded (charges then come from the survey scans or the defaults).
for length in $minutes; do
    for regime in "${regimes[@]}"; do
        dataset="${length} min, $regime"
        run=$work/generated_${length}min
        options=()
        if [ "$regime" = "no charges recorded" ]; then
            run=${run}_nocharges
            options=(--no-charges)
        fi
        name=$(basename "$run")
        scans=$(generate "$run" "$length" "$dataset" "${options[@]}")

        # Speed is measured on the first regime only: the two runs differ in their charges alone.
        rm -f "$run".*.times
        timed_runs=$runs
        [ "$regime" = "charges recorded" ] || timed_runs=1
        for ((i = 0; i < timed_runs; i++)); do
            timed "$run.ours.times" "$run.ours.log" "$ostrand_export" "$run.vesk" -o "$run.ours.sxq" ||
                { echo "run.sh: ostrand-export failed on $run.vesk, see $run.ours.log" >&2; exit 1; }
            msconvert_watched "$run.picking.times" "$run.picking.log" "$run.mzML" --mzML -o "$work" \
                --outfile "$name.picking.mzML" "${picking[@]}" ||
                { echo "run.sh: msconvert failed on $run.mzML, see $run.picking.log" >&2; exit 1; }
        done
        if [ "$regime" = "charges recorded" ]; then
            bench timing --results "$results" --dataset "$dataset" --label "ostrand-export" \
                --times "$run.ours.times" --scans "$scans" >/dev/null
            bench timing --results "$results" --dataset "$dataset" --label "msconvert peak picking" \
                --times "$run.picking.times" --scans "$scans" >/dev/null
        fi

        searched=("msconvert peak picking:$work/$name.picking.mzML")
        if msconvert_watched "$run.pipeline.times" "$run.pipeline.log" "$run.mzML" --mzML -o "$work" \
            --outfile "$name.pipeline.mzML" "${pipeline[@]}"; then
            bench timing --results "$results" --dataset "$dataset" --label "$pipeline_label" \
                --times "$run.pipeline.times" --scans "$scans" >/dev/null
            searched+=("$pipeline_label:$work/$name.pipeline.mzML")
        else
            bench timing --results "$results" --dataset "$dataset" --label "$pipeline_label" \
                --times "$run.pipeline.times" --scans "$scans" --status 1 \
                --message "$(grep -i -m 1 -A 1 "error" "$run.pipeline.log" | tr '\n' ' ')" >/dev/null
            msconvert_watched "$run.fallback.times" "$run.fallback.log" "$run.mzML" --mzML -o "$work" \
                --outfile "$name.fallback.mzML" "${pipeline[@]:0:4}" "${survey_noise_threshold[@]}" \
                "${pipeline[@]:4}" ||
                { echo "run.sh: msconvert failed on $run.mzML, see $run.fallback.log" >&2; exit 1; }
            bench timing --results "$results" --dataset "$dataset" --label "$fallback_label" \
                --times "$run.fallback.times" --scans "$scans" >/dev/null
            searched+=("$fallback_label:$work/$name.fallback.mzML")
        fi

        # Our export once more with a precursor tolerance suited to TOF data, to show what the default
        # tolerance of 1 m/z costs when precursors of different peptides are summed into one query.
        "$ostrand_export" "$run.vesk" -o "$run.ours_narrow.sxq" --keys MSMSAvePrecursorTol, --values 0.05, >/dev/null
        searched+=("ostrand-export:$run.ours.sxq" "ostrand-export, precursor tolerance 0.05:$run.ours_narrow.sxq")
        for entry in "${searched[@]}"; do
            search "$dataset" "${entry%%:*}" "${entry#*:}" "$run.params" --truth "$run.truth.json"
            bench recall --results "$results" --dataset "$dataset" --label "${entry%%:*}" \
                --peaklist "${entry#*:}" --truth "$run.truth.json" >/dev/null
        done
    done
done

# Long runs: our export's speed and peak memory only, against the searched lengths.
for length in $long; do
    dataset="${length} min, charges recorded"
    run=$work/generated_${length}min
    scans=$(generate "$run" "$length" "$dataset")
    rm -f "$run".*.times
    for ((i = 0; i < runs; i++)); do
        timed "$run.ours.times" "$run.ours.log" "$ostrand_export" "$run.vesk" -o "$run.ours.sxq" ||
            { echo "run.sh: ostrand-export failed on $run.vesk, see $run.ours.log" >&2; exit 1; }
    done
    bench timing --results "$results" --dataset "$dataset" --label "ostrand-export" --times "$run.ours.times" \
        --scans "$scans" >/dev/null
done

machine="Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores of \
$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), $(free -g | awk '/^Mem:/ {print $2}') GB; \
Comet $(comet-ms 2>&1 | sed -n 's/.*Comet version "\(.*\)".*/\1/p'), \
msconvert $(dpkg-query -W -f '${Version}' libpwiz-tools 2>/dev/null || echo '(version unknown)')."
mkdir -p "$(dirname "$report")"
bench table "$results" --machine "$machine" >"$report"
cp "$results" "${report%.md}.jsonl"
echo "Results: $report"
