# bash completion for vanta: commands, their options, and files where files go.
# Installed as share/bash-completion/completions/vanta (loaded on first use).

_vanta() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion || return
    else
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD-1]}
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    fi

    # --help is offered with every command's words below, so it is not among these.
    local global="--verbose -v --quiet -q --json --server --ftp-port --tls --no-tls --ca-file --login
                  --retries --version -h --help-all"
    local details="--first-name --last-name --address --city --state --zip --email --day-phone
                   --extension --fax --night-phone --middle-initial --code"

    # The command and its subcommand: the first words that are not options or option values.
    local i word command="" sub=""
    for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        case $word in
        --server | --ftp-port | --ca-file | --login | --retries) ((i++)); continue ;;
        -*) continue ;;
        esac
        if [[ -z $command ]]; then
            command=$word
        elif [[ -z $sub ]]; then
            sub=$word
            break
        fi
    done

    case $prev in
    --server | --ftp-port | --login | --retries | --user | --product | --asset | --name | --type | --to | --from | \
        --subject | --message | --title | --heading | --body | --theme | --reply-to | --dir | \
        --program | --description | --sender-name | --first-name | --last-name | \
        --address | --city | --state | --zip | --email | --day-phone | --extension | --fax | \
        --night-phone | --middle-initial | --code | --parallel)
        return ;;
    --message-file | --ca-file | --key)
        COMPREPLY=($(compgen -f -- "$cur"))
        return ;;
    esac

    local words_here="" files=""
    case $command in
    "") words_here="user asset upload disk-space email homepage ftp version update request $global" ;;
    user)
        case $sub in
        "") words_here="validate register get update delete" ;;
        validate) words_here="--user --product --password-stdin" ;;
        register) words_here="--user --product --password-stdin $details" ;;
        update) words_here="--user --password-stdin $details" ;;
        get) words_here="--user" ;;
        delete) words_here="--user --yes" ;;
        esac ;;
    asset)
        case $sub in
        "") words_here="info list stats delete" ;;
        info | stats) words_here="--user --asset" ;;
        list) words_here="--user --product" ;;
        delete) words_here="--user --product --asset --purge" ;;
        esac ;;
    upload) words_here="--user --product --name --description --type --to --parallel"; files=1 ;;
    disk-space) words_here="--user --product" ;;
    email) words_here="--from --to --subject --message --message-file --sender-name --parallel"; files=1 ;;
    homepage)
        case $sub in
        "") words_here="get set delete" ;;
        get | delete) words_here="--user" ;;
        set) words_here="--user --title --heading --body --theme --reply-to" ;;
        esac ;;
    ftp)
        case $sub in
        "") words_here="put check rm rmdir" ;;
        put) words_here="--dir --name"; files=1 ;;
        check | rm) words_here="--dir --name" ;;
        rmdir) words_here="--dir" ;;
        esac ;;
    update)
        case $sub in
        "") words_here="download" ;;
        download)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--key" -- "$cur"))
            else
                COMPREPLY=($(compgen -d -- "$cur"))
            fi
            return ;;
        esac ;;
    request) words_here="--program --body" ;;
    esac

    if [[ -n $files && $cur != -* ]]; then
        COMPREPLY=($(compgen -f -- "$cur"))
    else
        COMPREPLY=($(compgen -W "$words_here --help" -- "$cur"))
    fi
}
complete -F _vanta vanta
