#version 150
// Full-screen quad; uv runs from (0, 0) to (1, 1) over the target.
in vec2 vPosition;
out vec2 uv;

void main()
{
    uv = (vPosition + 1.0) / 2.0;
    gl_Position = vec4(vPosition, 0.0, 1.0);
}
