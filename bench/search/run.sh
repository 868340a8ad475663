#!/bin/bash
# Our query files against ProteoWizard msconvert's peak lists, searched with Comet and X!Tandem:
#  1. builds vesk and ostrand-export (Release) unless a build folder is given that has them;
#  2. imports every public file of the data folder and exports it, next to msconvert's peak list;
#  3. searches the public E. coli run (ion-trap MS/MS) with its target-decoy FASTA, both ways (Comet);
#  4. generates realistic data-dependent TOF runs in profile for every seed and length, with the
#     precursor charges recorded and without, exports them (timed), makes msconvert's two peak
#     lists, then searches every peak list with each engine, one isotope error allowed and none,
#     and checks the identifications, the queries and the fragments listed against the ground truth;
#  5. optionally exports long runs for our peak memory.
# Figures go to the report (default bench/results/search.md, the raw records beside it as .jsonl);
# everything else stays in the work folder.
#
# Usage: bench/search/run.sh [-b BUILD_DIR] [-w WORK_DIR] [-s "1 2 3"] [-m "10 30"] [-c recorded|none]
#                            [-e "comet tandem"] [-i "1 0"] [-p "ours picking pipeline"] [-l "120"]
#                            [-g PROTEINS] [-r RUNS] [-d DATA_DIR] [-o REPORT] [-V VESK]
#   BUILD_DIR  a CMake build folder with bin/ostrand-export (default: build-bench in the repository)
#   WORK_DIR   generated runs, peak lists, searches and the cache (default: BUILD_DIR/bench-search)
#   -s, -m     seeds and lengths in minutes of the generated runs (default "1 2 3" and "10 30")
#   -c         one charge regime only (default both)
#   -e, -i     search engines (comet, tandem) and isotope errors allowed (1, 0); default all
#   -p         peak lists: ours (defaults), narrow (ours at precursor tolerance 0.05), picking
#              (msconvert peak picking), pipeline (msconvert turbocharger pipeline); default all but narrow
#   -l         lengths of long runs whose export is timed for peak memory (default none)
#   PROTEINS   random background proteins searched with a generated run's own (default 5000)
#   RUNS       timed runs of our export (default 1; bench/export_speed.sh is the speed check)
#   DATA_DIR   the public files (default: the shared data folder); an empty folder skips them
#   REPORT     the markdown report (default: bench/results/search.md)
#   VESK       the vesk program that generates and converts the runs (default BUILD_DIR/bin/vesk)
# Whatever does not depend on our export is cached in WORK_DIR/cache by the hashes of its inputs:
# generated runs (by the vesk program and options), msconvert's peak lists (by the mzML), numbered
# peak lists, peak-list checks and searches (by the peak list, database and settings). Re-measuring
# after a change to the export therefore re-runs only our export and the searches of its output.
# Needs comet-ms, tandem-mass, msconvert (libpwiz-tools), GNU time (time), python3, cmake, ninja:
# scripts/install-bench-deps.sh.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=$repo/build-bench
work=
seeds="1 2 3"
minutes="10 30"
regimes=("charges recorded" "no charges recorded")
engines="comet tandem"
isotope_errors="1 0"
lists="ours picking pipeline"
long=
background=5000
runs=1
data=$repo/../shared/data
report=$repo/bench/results/search.md
vesk=
while getopts "b:w:s:m:c:e:i:p:l:g:r:d:o:V:" option; do
    case $option in
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    s) seeds=$OPTARG ;;
    m) minutes=$OPTARG ;;
    c) case $OPTARG in
       recorded) regimes=("charges recorded") ;;
       none) regimes=("no charges recorded") ;;
       *) echo "run.sh: -c takes recorded or none" >&2; exit 2 ;;
       esac ;;
    e) engines=$OPTARG ;;
    i) isotope_errors=$OPTARG ;;
    p) lists=$OPTARG ;;
    l) long=$OPTARG ;;
    g) background=$OPTARG ;;
    r) runs=$OPTARG ;;
    d) data=$OPTARG ;;
    o) report=$OPTARG ;;
    V) vesk=$OPTARG ;;
    *) sed -n '/^# Usage/,/^# scripts/p' "$0" >&2; exit 2 ;;
    esac
done
for engine in $engines; do
    case $engine in comet | tandem) ;; *) echo "run.sh: -e takes comet and tandem" >&2; exit 2 ;; esac
done
for error in $isotope_errors; do
    case $error in 0 | 1) ;; *) echo "run.sh: -i takes 1 and 0" >&2; exit 2 ;; esac
done
for list in $lists; do
    case $list in ours | narrow | picking | pipeline) ;;
    *) echo "run.sh: -p takes ours, narrow, picking and pipeline" >&2; exit 2 ;; esac
done
work=${work:-$build/bench-search}
for tool in comet-ms tandem msconvert /usr/bin/time python3 cmake ninja sha1sum; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is not installed" >&2; exit 2; }
done
[ -d "$data" ] || { echo "run.sh: no data folder $data" >&2; exit 2; }

# 1. Build.
[ -f "$build/build.ninja" ] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
ninja -C "$build" vesk ostrand-export
vesk=${vesk:-$build/bin/vesk}
ostrand_export=$build/bin/ostrand-export
source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")

mkdir -p "$work"
work=$(cd "$work" && pwd)
cache=$work/cache
mkdir -p "$cache"
results=$work/results.jsonl
rm -f "$results"
# An empty settings folder: the export runs with the factory-default processing parameters.
rm -rf "$work/settings"
mkdir -p "$work/settings"
export OSTRAND_SETTINGS_DIR=$work/settings

bench() { python3 "$here/searchbench.py" "$@"; }
(cd "$work" && comet-ms -p >/dev/null)
template=$work/comet.params.new
msconvert_version=$(dpkg-query -W -f '${Version}' libpwiz-tools 2>/dev/null || echo unknown)

# hash_of FILE: its SHA-1, remembered by path, size and modification time so that large files are
# read once.
hash_of() {
    local path size_time known
    path=$(realpath "$1")
    size_time=$(stat -c '%s %Y' "$1")
    known=$(awk -v stamp="$path $size_time" 'index($0, stamp " ") == 1 {print $NF; exit}' "$cache/hashes" \
        2>/dev/null) || true
    if [ -z "$known" ]; then
        known=$(sha1sum "$1" | cut -d ' ' -f 1)
        echo "$path $size_time $known" >>"$cache/hashes"
    fi
    echo "$known"
}
# key WORDS...: one cache key for the words (file hashes, options).
key() { echo "$*" | sha1sum | cut -d ' ' -f 1; }
# fetch KEY FILE...: links the cached files of KEY into place; fails, touching nothing, unless the
# cache holds them all. store KEY FILE... puts finished files into the cache. Outputs are removed
# before they are made again, so that a tool writing in place never writes into the cache.
fetch() {
    local dir=$cache/$1 file
    shift
    for file; do [ -f "$dir/$(basename "$file")" ] || return 1; done
    for file; do ln -f "$dir/$(basename "$file")" "$file"; done
}
store() {
    local dir=$cache/$1 file
    shift
    mkdir -p "$dir"
    for file; do ln -f "$file" "$dir/$(basename "$file")"; done
}
# record KEY STEP ARGS...: a searchbench step that appends one record to the results, cached.
record() {
    local id=$1 out
    shift
    out=$cache/$id.record
    if [ ! -f "$out" ]; then
        rm -f "$out.part"
        bench "$@" --results "$out.part" >/dev/null
        mv "$out.part" "$out"
    fi
    cat "$out" >>"$results"
}

# search DATASET LABEL PEAKLIST PRESET DATABASE ENGINES [score options...]: each engine with each
# isotope setting on the peak list (a query file or msconvert's mzML), then the PSMs at 1 % FDR of
# each search.
search() {
    local dataset=$1 label=$2 peaklist=$3 preset=$4 database=$5 search_engines=$6
    shift 6
    local base=${peaklist%.*} list_hash database_hash
    list_hash=$(hash_of "$peaklist")
    local numbered
    numbered=$(key number "$list_hash")
    if ! fetch "$numbered" "$base.numbered.ms2" "$base.numbered.txt"; then
        rm -f "$base.numbered.ms2" "$base.numbered.txt"
        bench number "$peaklist" "$base.numbered.ms2" --ion-blocks "$base.numbered.txt" >/dev/null
        store "$numbered" "$base.numbered.ms2" "$base.numbered.txt"
    fi
    database_hash=$(hash_of "$database")
    for engine in $search_engines; do
        for error in $isotope_errors; do
            local out=$base.$engine.iso$error searched results_option
            searched=$(key "$engine" "$preset" "$error" "$list_hash" "$database_hash")
            if [ "$engine" = comet ]; then
                if ! fetch "$searched" "$out.txt"; then
                    rm -f "$out.txt"
                    bench comet-params "$preset" "$database" "$template" "$out.params" --isotope-error "$error"
                    nice comet-ms -P"$out.params" -N"$out" "$base.numbered.ms2" >"$out.log" 2>&1 ||
                        { echo "run.sh: Comet failed on $peaklist, see $out.log" >&2; exit 1; }
                    store "$searched" "$out.txt"
                fi
                results_option=(--comet "$out.txt")
            else
                if ! fetch "$searched" "$out.xml"; then
                    rm -f "$out.xml"
                    bench tandem-params "$database" "$base.numbered.txt" "$out.xml" "$out.input.xml" \
                        --isotope-error "$error"
                    nice tandem "$out.input.xml" >"$out.log" 2>&1 && [ -s "$out.xml" ] ||
                        { echo "run.sh: X!Tandem failed on $peaklist, see $out.log" >&2; exit 1; }
                    store "$searched" "$out.xml"
                fi
                results_option=(--tandem "$out.xml")
            fi
            bench score --results "$results" --dataset "$dataset" --label "$label" \
                --peaklist "$base.numbered.ms2" "${results_option[@]}" --isotope-error "$error" "$@" >/dev/null
        done
    done
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

# 3. The public E. coli run with its FASTA of targets and rev_ decoys, searched by Comet as the data
# folder describes the reference search (X!Tandem's expectation values do not hold on its
# low-resolution fragments: decoys of charge 4 come out on top).
ecoli=$work/public/Ecoli_MS2_small
ecoli_fasta=$data/target_decoy_Ecoli_K12_TaxID_83333.proteomes.fasta
if [ -f "$ecoli.sxq" ] && [ -f "$ecoli_fasta" ]; then
    search "Ecoli_MS2_small" "ostrand-export" "$ecoli.sxq" iontrap "$ecoli_fasta" comet
    search "Ecoli_MS2_small" "msconvert" "$ecoli.msconvert.mzML" iontrap "$ecoli_fasta" comet
fi

# 4. Generated runs.
picking=(--filter "peakPicking true 1-")
# msconvert's turbocharger pipeline (peakPicking, threshold absolute 0, turbocharger, MS2Deisotope).
# Its charge finder gives up on a precursor window of more than 40 survey peaks, and the counting
# noise of profile TOF survey scans yields that many local maxima in busy regions, so only the 100
# most intense peaks of each survey scan are kept; the MS/MS processing stays that of the pipeline.
pipeline=(--filter "peakPicking true 1-" --filter "threshold absolute 0 most-intense"
    --filter "threshold count 100 most-intense 1" --filter "turbocharger" --filter "MS2Deisotope")
picking_label="msconvert peak picking"
pipeline_label="msconvert comparable pipeline, 100 survey peaks"

# msconvert_watched TIMES LOG ARGS...: msconvert under GNU time. Its worker threads report a
# failed spectrum on stderr and may then wait forever, so the run is stopped at that report.
# Returns 0 only for a run that ended without error.
msconvert_watched() {
    local times=$1 log=$2
    shift 2
    nice /usr/bin/time -f "%e %U %S %M %x" -a -o "$times" msconvert "$@" >"$log" 2>&1 &
    local timer=$!
    while kill -0 "$timer" 2>/dev/null; do
        if grep -q "error in thread" "$log" 2>/dev/null; then
            pkill -TERM -P "$timer" || true
            wait "$timer" || true
            return 1
        fi
        sleep 1
    done
    wait "$timer" && ! grep -qi "error" "$log"
}

# msconvert_list RUN NAME LABEL FILTERS...: msconvert's peak list RUN.NAME.mzML of RUN.mzML, made
# (and timed into RUN.NAME.times) unless cached.
msconvert_list() {
    local run=$1 name=$2
    shift 2
    local made
    made=$(key msconvert "$msconvert_version" "$(hash_of "$run.mzML")" "$@")
    fetch "$made" "$run.$name.mzML" "$run.$name.times" && return
    rm -f "$run.$name.mzML" "$run.$name.times"
    msconvert_watched "$run.$name.times" "$run.$name.log" "$run.mzML" --mzML -o "$(dirname "$run")" \
        --outfile "$(basename "$run").$name.mzML" "$@" ||
        { echo "run.sh: msconvert failed on $run.mzML, see $run.$name.log" >&2; exit 1; }
    store "$made" "$run.$name.mzML" "$run.$name.times"
}

# generate RUN MINUTES SEED [vesk generate options...]: a generated run with its mzML and
# target-decoy FASTA, unless cached.
generate() {
    local run=$1 length=$2 seed=$3
    shift 3
    local made
    made=$(key generate "$(hash_of "$vesk")" "$length" "$seed" "$@")
    if ! fetch "$made" "$run.vesk" "$run.truth.json" "$run.fasta" "$run.mzML"; then
        rm -f "$run.vesk" "$run.truth.json" "$run.fasta" "$run.mzML"
        nice "$vesk" generate -q --minutes "$length" --seed "$seed" "$@" -o "$run.vesk" >/dev/null
        nice "$vesk" convert -q "$run.vesk" -o "$run.mzML" >/dev/null
        store "$made" "$run.vesk" "$run.truth.json" "$run.fasta" "$run.mzML"
    fi
    # The sample's proteins among as many others as a real proteome search looks through.
    bench decoy-fasta "$run.fasta" "$run.target_decoy.fasta" --background "$background" >/dev/null
}

for length in $minutes; do
    for seed in $seeds; do
        for regime in "${regimes[@]}"; do
            dataset="${length} min, seed $seed, $regime"
            run=$work/generated_${length}min_seed$seed
            options=()
            if [ "$regime" = "no charges recorded" ]; then
                run=${run}_nocharges
                options=(--no-charges)
            fi
            echo "run.sh: $dataset" >&2
            generate "$run" "$length" "$seed" "${options[@]}"
            truth_hash=$(hash_of "$run.truth.json")
            record "$(key run "$truth_hash" "$dataset" "$background")" run --dataset "$dataset" \
                --truth "$run.truth.json" --background "$background"
            scans=$(tail -n 1 "$results" | python3 -c 'import json, sys; print(json.load(sys.stdin)["product_scans"])')

            searched=()
            for list in $lists; do
                case $list in
                ours)
                    rm -f "$run.ours.sxq" "$run.ours.times"
                    for ((i = 0; i < runs; i++)); do
                        timed "$run.ours.times" "$run.ours.log" nice "$ostrand_export" "$run.vesk" -o "$run.ours.sxq" ||
                            { echo "run.sh: ostrand-export failed on $run.vesk, see $run.ours.log" >&2; exit 1; }
                    done
                    bench timing --results "$results" --dataset "$dataset" --label "ostrand-export" \
                        --times "$run.ours.times" --scans "$scans" >/dev/null
                    searched+=("ostrand-export:$run.ours.sxq") ;;
                narrow)
                    # Our export with a precursor tolerance suited to TOF data: what the default
                    # tolerance of 1 m/z costs when precursors of different peptides are summed.
                    rm -f "$run.ours_narrow.sxq"
                    nice "$ostrand_export" "$run.vesk" -o "$run.ours_narrow.sxq" --keys MSMSAvePrecursorTol, \
                        --values 0.05, >/dev/null
                    searched+=("ostrand-export, precursor tolerance 0.05:$run.ours_narrow.sxq") ;;
                picking)
                    msconvert_list "$run" picking "${picking[@]}"
                    bench timing --results "$results" --dataset "$dataset" --label "$picking_label" \
                        --times "$run.picking.times" --scans "$scans" >/dev/null
                    searched+=("$picking_label:$run.picking.mzML") ;;
                pipeline)
                    msconvert_list "$run" pipeline "${pipeline[@]}"
                    bench timing --results "$results" --dataset "$dataset" --label "$pipeline_label" \
                        --times "$run.pipeline.times" --scans "$scans" >/dev/null
                    searched+=("$pipeline_label:$run.pipeline.mzML") ;;
                esac
            done
            for entry in "${searched[@]}"; do
                label=${entry%%:*} peaklist=${entry#*:}
                search "$dataset" "$label" "$peaklist" tof "$run.target_decoy.fasta" "$engines" \
                    --truth "$run.truth.json"
                record "$(key recall "$(hash_of "$peaklist")" "$truth_hash" "$dataset" "$label")" recall \
                    --dataset "$dataset" --label "$label" --peaklist "$peaklist" --truth "$run.truth.json"
            done
        done
    done
done

# 5. Long runs: our export's speed and peak memory only, against the searched lengths.
for length in $long; do
    dataset="${length} min, seed 1, charges recorded"
    run=$work/generated_${length}min_seed1
    generate "$run" "$length" 1
    scans=$(bench run --results "$results" --dataset "$dataset" --truth "$run.truth.json" --background 0)
    rm -f "$run.ours.times"
    for ((i = 0; i < runs; i++)); do
        timed "$run.ours.times" "$run.ours.log" "$ostrand_export" "$run.vesk" -o "$run.ours.sxq" ||
            { echo "run.sh: ostrand-export failed on $run.vesk, see $run.ours.log" >&2; exit 1; }
    done
    bench timing --results "$results" --dataset "$dataset" --label "ostrand-export" --times "$run.ours.times" \
        --scans "$scans" >/dev/null
done

machine="Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores of \
$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), $(free -g | awk '/^Mem:/ {print $2}') GB, \
load average $(cut -d ' ' -f 1-3 /proc/loadavg); \
Comet $(comet-ms 2>&1 | sed -n 's/.*Comet version "\(.*\)".*/\1/p'), \
X!Tandem $(dpkg-query -W -f '${Version}' tandem-mass 2>/dev/null || echo '(version unknown)'), \
msconvert $msconvert_version; ostrand-export built from $(git -C "$source" log -1 --format='%h %s')."
mkdir -p "$(dirname "$report")"
bench table "$results" --machine "$machine" >"$report"
cp "$results" "${report%.md}.jsonl"
echo "Results: $report"
