// Only for the end-to-end tests' own shell: it answers org.gnome.Shell.Eval only in its unsafe
// mode, which nothing else can turn on.
function init() {
    return {
        enable() { global.context.unsafe_mode = true; },
        disable() { global.context.unsafe_mode = false; },
    };
}
