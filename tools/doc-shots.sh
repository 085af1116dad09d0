#!/bin/sh
# Takes the pictures of the window in docs/ again, in one tidy scene: a
# scratch home folder /home/anna (bind-mounted over /home in a mount
# namespace of its own, so the folder tree shows it and nothing of the
# machine's /tmp) holding a few folders of the photographs in CORPUS.
#
#   tools/doc-shots.sh BUILD CORPUS [SCENE...]
#
# BUILD is a build folder with the tests (build/tests/vorpane_doc_shots,
# build/tests/vorpane_options_dialog, build/ui/vorpane), CORPUS a folder of
# the photographs named below. Without SCENE, every picture; the scenes are
# vorpane_doc_shots's, and weston and options-dialog-weston, taken by
# tools/weston-check.sh. Needs unshare (util-linux; unprivileged user
# namespaces do) and, for the weston ones, weston and ImageMagick's convert;
# optipng, where installed, shrinks the files. The tools are the script's
# only: neither the build nor the tests need them.
set -eu
build=$(realpath "$1")
corpus=$(realpath "$2")
shift 2
docs=$(realpath "$(dirname "$0")/../docs")
tools=$(realpath "$(dirname "$0")")

if [ "${VORPANE_DOC_SHOTS_INSIDE:-}" != 1 ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  home=$scratch/home/anna
  mkdir -p "$home/Desktop" "$home/Documents" "$home/Music" "$home/Pictures/Phone" \
    "$home/Pictures/Party" "$home/Pictures/Scans"
  photo() { cp "$corpus/$1" "$home/$2"; }
  photo photo_canon_hdr_NO_orient6.jpg Desktop/Chandelier.jpg
  photo photo_seeding_5312x2988_prog.jpg Desktop/Dandelions.jpg
  photo photo_HMD_Nokia_4608x1976.jpg Desktop/Harbour.jpg
  photo photo_Dragonfly_4224x3168_prog.jpg Desktop/Leaves.jpg
  photo photo_42_IndexError_4032x3024.jpg Desktop/Museum.jpg
  photo orient_landscape_1.jpg Desktop/Waterfall.jpg
  photo photo_Wine_2560x3837_portrait_prog.jpg Desktop/Wine.jpg
  photo photo_iphone_hdr_YES_3264x2448.jpg Desktop/Wisteria.jpg
  # Stored on their side with an orientation tag: the chandelier and the
  # waterfall.
  photo photo_canon_hdr_NO_orient6.jpg Pictures/Phone/Chandelier.jpg
  photo orient_landscape_6.jpg Pictures/Phone/Waterfall.jpg
  photo photo_HMD_Nokia_4608x1976.jpg Pictures/Phone/Harbour.jpg
  photo photo_iphone_hdr_YES_3264x2448.jpg Pictures/Phone/Wisteria.jpg
  photo jd_rgb_adobe0.jpg "Pictures/Party/birthday party at the lake, August 2024.jpg"
  photo orient_landscape_1.jpg Pictures/Party/harbour.jpg
  photo jd_progressive3.jpg Pictures/Party/ho.jpg
  photo pil_sugarshack_bad_mpo_header.jpg "Pictures/Party/IMG 12:30 wine tasting.jpg"
  photo orient_landscape_1.jpg Pictures/Party/x.jpg
  # 30 scans, two of them broken (25, 29) and one cut short (27).
  for i in $(seq 1 30); do
    case $i in
    25) source=bad_missing_sos.jpg ;;
    27) source=bad_pil_truncated_prog.jpg ;;
    29) source=bad_empty.jpg ;;
    *) source=$(echo orient_landscape_1.jpg jd_rgb_adobe0.jpg jd_progressive3.jpg |
      cut -d' ' -f$((i % 3 + 1))) ;;
    esac
    photo "$source" "$(printf 'Pictures/Scans/IMG_%04d.jpg' "$i")"
  done
  VORPANE_DOC_SHOTS_INSIDE=1 VORPANE_DOC_SHOTS_HOME=$scratch/home \
    unshare --map-root-user --mount "$0" "$build" "$corpus" "$@"
  exit
fi

mount --bind "$VORPANE_DOC_SHOTS_HOME" /home
export HOME=/home/anna LANG=C.UTF-8 LC_ALL=
unset LANGUAGE
scenes=${*:-window window-de window-scale2 large-icons large-icons-upright file-list \
marked-entries busy missing-file focus-mark options-dialog weston options-dialog-weston}
for scene in $scenes; do
  out=$docs/$scene.png
  case $scene in
  window-de)
    QT_QPA_PLATFORM=offscreen "$build/tests/vorpane_doc_shots" window "$out" de
    ;;
  window-scale2)
    QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 "$build/tests/vorpane_doc_shots" window "$out"
    ;;
  weston | options-dialog-weston)
    # The window program as the script starts it, with the Desktop's
    # photographs in its list, in the scene's home.
    cat >"$HOME/.vorpane" <<EOF
#!/bin/sh
HOME=$HOME exec "$build/ui/vorpane" $HOME/Desktop/Harbour.jpg $HOME/Desktop/Leaves.jpg
EOF
    chmod +x "$HOME/.vorpane"
    if [ "$scene" = weston ]; then
      "$tools/weston-check.sh" "$HOME/.vorpane" "$docs/window-weston.png"
    else
      "$tools/weston-check.sh" "$HOME/.vorpane" "$HOME/window.png"
      "$tools/weston-check.sh" --dialog "$build/tests/vorpane_options_dialog" "$HOME/.vorpane" \
        "$HOME/screen.png"
      # Weston places the dialog where it likes: it is what differs from the
      # window alone (below the panel and its clock), cut out with 12 px
      # of what is around it.
      box=$(convert "$HOME/window.png" "$HOME/screen.png" -compose difference -composite \
        -crop 1000x620+0+40 +repage -fuzz 2% -format '%@' info:)
      IFS='x+' read -r w h x y <<BOX
$box
BOX
      convert "$HOME/screen.png" -crop "$((w + 24))x$((h + 24))+$((x - 12))+$((y + 28))" \
        +repage "$out"
    fi
    rm -f "$HOME/.vorpane" "$HOME/window.png" "$HOME/screen.png"
    [ "$scene" = options-dialog-weston ] || out=$docs/window-weston.png
    ;;
  *)
    QT_QPA_PLATFORM=offscreen "$build/tests/vorpane_doc_shots" "$scene" "$out"
    ;;
  esac
  if [ -n "$out" ] && command -v optipng >/dev/null 2>&1; then
    optipng -quiet -o5 -strip all "$out"
  fi
  echo "$scene"
done
