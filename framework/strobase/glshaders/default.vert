#version 330 core
// Full-screen quad: positions -1..1, texture coordinate 0..1 over the target.
layout(location = 0) in vec2 vPosition;
out vec2 vUV;

void main()
{
    vUV = vPosition * 0.5 + 0.5;
    gl_Position = vec4(vPosition, 0.0, 1.0);
}
